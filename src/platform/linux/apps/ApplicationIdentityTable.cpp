// The applications the activity sets and the IDE surface rules name, as they appear on
// a Linux desktop. One row per application; identifiers follow the other desktop's
// bundle identifiers so the sets match on both.
#include "platform/linux/apps/ApplicationIdentity.h"

#include "platform/KnownTerminals.h"

namespace plovane {

const std::vector<KnownApplication>& knownApplications()
{
    static const std::vector<KnownApplication> others{
        // Editors and IDEs
        {"com.microsoft.VSCode", "Visual Studio Code", {"code", "code-oss"},
         {"code", "com.visualstudio.code", "code-oss", "com.visualstudio.code.oss"}, {"code", "code-oss"}},
        {"com.microsoft.VSCodeInsiders", "Visual Studio Code - Insiders", {"code - insiders"},
         {"code-insiders", "com.visualstudio.code.insiders"}, {"code-insiders"}},
        {"com.todesktop.230313mzl4w4u92", "Cursor", {"cursor"}, {"cursor", "co.anysphere.cursor"}, {"cursor"}},
        {"com.sublimetext.4", "Sublime Text", {"sublime_text"}, {"sublime_text", "com.sublimetext.three"},
         {"sublime_text"}},
        {"dev.zed.Zed", "Zed", {"dev.zed.zed", "zed"}, {"dev.zed.Zed", "zed"}, {"zed", "zed-editor", "zeditor"}},
        {"com.jetbrains.intellij", "IntelliJ IDEA", {"jetbrains-idea"},
         {"jetbrains-idea", "intellij-idea-ultimate", "com.jetbrains.IntelliJ-IDEA-Ultimate"}, {"idea", "idea.sh"}},
        {"com.jetbrains.intellij.ce", "IntelliJ IDEA Community Edition", {"jetbrains-idea-ce"},
         {"jetbrains-idea-ce", "intellij-idea-community", "com.jetbrains.IntelliJ-IDEA-Community"}, {}},
        {"com.jetbrains.pycharm", "PyCharm", {"jetbrains-pycharm"},
         {"jetbrains-pycharm", "pycharm-professional", "com.jetbrains.PyCharm-Professional"},
         {"pycharm", "pycharm.sh"}},
        {"com.jetbrains.pycharm.ce", "PyCharm Community Edition", {"jetbrains-pycharm-ce"},
         {"jetbrains-pycharm-ce", "pycharm-community", "com.jetbrains.PyCharm-Community"}, {}},
        {"com.jetbrains.webstorm", "WebStorm", {"jetbrains-webstorm"}, {"jetbrains-webstorm", "webstorm"},
         {"webstorm", "webstorm.sh"}},
        {"com.jetbrains.goland", "GoLand", {"jetbrains-goland"}, {"jetbrains-goland", "goland"}, {"goland", "goland.sh"}},
        {"com.jetbrains.clion", "CLion", {"jetbrains-clion"}, {"jetbrains-clion", "clion"}, {"clion", "clion.sh"}},
        {"com.jetbrains.rider", "Rider", {"jetbrains-rider"}, {"jetbrains-rider", "rider"}, {"rider", "rider.sh"}},
        {"com.jetbrains.datagrip", "DataGrip", {"jetbrains-datagrip"}, {"jetbrains-datagrip", "datagrip"},
         {"datagrip", "datagrip.sh"}},
        {"com.jetbrains.phpstorm", "PhpStorm", {"jetbrains-phpstorm"}, {"jetbrains-phpstorm", "phpstorm"},
         {"phpstorm", "phpstorm.sh"}},
        {"com.jetbrains.rubymine", "RubyMine", {"jetbrains-rubymine"}, {"jetbrains-rubymine", "rubymine"},
         {"rubymine", "rubymine.sh"}},
        {"com.jetbrains.fleet", "Fleet", {"fleet", "jetbrains-fleet"}, {"jetbrains-fleet", "fleet"}, {"fleet"}},
        {"com.google.android.studio", "Android Studio", {"jetbrains-studio"},
         {"jetbrains-studio", "android-studio", "com.google.AndroidStudio"}, {"studio", "studio.sh"}},
        // Linux editors
        {"org.kde.kate", "Kate", {"kate", "org.kde.kate"}, {"org.kde.kate"}, {"kate"}},
        {"org.gnome.Builder", "Builder", {"gnome-builder", "org.gnome.builder"}, {"org.gnome.Builder"},
         {"gnome-builder"}},
        // Diagrams
        {"com.jgraph.drawio.desktop", "draw.io", {"drawio"}, {"drawio", "com.jgraph.drawio.desktop"}, {"drawio"}},
        {"org.gnome.dia", "Dia", {"dia", "dia-normal"}, {"org.gnome.Dia", "dia"}, {"dia"}},
        // Browsers and notes
        {"com.google.Chrome", "Google Chrome", {"google-chrome"}, {"google-chrome", "com.google.Chrome"},
         {"chrome", "google-chrome", "google-chrome-stable"}},
        {"org.mozilla.firefox", "Firefox", {"firefox", "firefox-esr"},
         {"firefox", "firefox-esr", "org.mozilla.firefox"}, {"firefox", "firefox-esr", "firefox-bin"}},
        {"com.microsoft.Edge", "Microsoft Edge", {"microsoft-edge"}, {"microsoft-edge", "com.microsoft.Edge"},
         {"msedge", "microsoft-edge", "microsoft-edge-stable"}},
        {"md.obsidian", "Obsidian", {"obsidian"}, {"obsidian", "md.obsidian.Obsidian"}, {"obsidian"}},
        {"org.chromium.Chromium", "Chromium", {"chromium", "chromium-browser"},
         {"chromium", "chromium-browser", "org.chromium.Chromium"}, {"chromium", "chromium-browser"}},
        {"com.brave.Browser", "Brave", {"brave-browser"}, {"brave-browser", "com.brave.Browser"},
         {"brave", "brave-browser"}},
        {"org.gnome.Epiphany", "Web", {"epiphany", "org.gnome.epiphany"}, {"org.gnome.Epiphany", "epiphany"},
         {"epiphany", "epiphany-browser"}},
        // File managers and document viewers
        {"org.gnome.Nautilus", "Files", {"org.gnome.nautilus", "nautilus"}, {"org.gnome.Nautilus", "nautilus"},
         {"nautilus"}},
        {"org.kde.dolphin", "Dolphin", {"dolphin", "org.kde.dolphin"}, {"org.kde.dolphin"}, {"dolphin"}},
        {"thunar", "Thunar", {"thunar"}, {"thunar", "org.xfce.thunar"}, {"thunar", "Thunar"}},
        {"org.gnome.Evince", "Document Viewer", {"evince", "org.gnome.evince"}, {"org.gnome.Evince", "evince"},
         {"evince"}},
        {"org.kde.okular", "Okular", {"okular", "org.kde.okular"}, {"org.kde.okular", "okular"}, {"okular"}},
        {"org.pwmt.zathura", "Zathura", {"zathura", "org.pwmt.zathura"}, {"org.pwmt.zathura", "zathura"},
         {"zathura"}},
        // Chat
        {"com.tencent.xinWeChat", "WeChat", {"wechat"}, {"wechat", "com.tencent.WeChat"}, {"wechat"}},
        // Music
        {"com.spotify.client", "Spotify", {"spotify"}, {"spotify", "com.spotify.Client"}, {"spotify"}},
        {"com.netease.163music", "NetEase Cloud Music", {"netease-cloud-music"}, {"netease-cloud-music"},
         {"netease-cloud-music"}},
        {"com.tencent.qqmusic", "QQ Music", {"qqmusic"}, {"qqmusic"}, {"qqmusic"}},
        {"org.gnome.Rhythmbox3", "Rhythmbox", {"rhythmbox"}, {"org.gnome.Rhythmbox3", "rhythmbox"}, {"rhythmbox"}},
        {"org.kde.elisa", "Elisa", {"elisa", "org.kde.elisa"}, {"org.kde.elisa"}, {"elisa"}},
        {"org.strawberrymusicplayer.strawberry", "Strawberry", {"strawberry"},
         {"org.strawberrymusicplayer.strawberry", "strawberry"}, {"strawberry"}},
        {"org.gnome.Lollypop", "Lollypop", {"lollypop", "org.gnome.lollypop"}, {"org.gnome.Lollypop"}, {"lollypop"}},
        {"io.bassi.Amberol", "Amberol", {"amberol", "io.bassi.amberol"}, {"io.bassi.Amberol"}, {"amberol"}},
        {"audacious", "Audacious", {"audacious"}, {"audacious"}, {"audacious"}},
        // The desktop's own shell, panels and screen lockers: known so they can be left
        // out of the day's top applications.
        {"org.gnome.Shell", "GNOME Shell", {"gnome-shell"}, {"org.gnome.Shell"}, {"gnome-shell"}},
        {"org.kde.plasmashell", "Plasma", {"plasmashell", "org.kde.plasmashell"}, {"org.kde.plasmashell"},
         {"plasmashell"}},
        {"xfce4-panel", "Panel", {"xfce4-panel"}, {"xfce4-panel", "org.xfce.panel"}, {"xfce4-panel"}},
        {"org.kde.kscreenlocker", "Screen Locker", {"kscreenlocker_greet"}, {"org.kde.kscreenlocker"},
         {"kscreenlocker_greet"}},
        {"xscreensaver", "XScreenSaver", {"xscreensaver"}, {"xscreensaver"}, {"xscreensaver"}},
        {"light-locker", "Light Locker", {"light-locker"}, {"light-locker"}, {"light-locker"}},
        {"xfce4-screensaver", "Screensaver", {"xfce4-screensaver"}, {"xfce4-screensaver", "org.xfce.ScreenSaver"},
         {"xfce4-screensaver"}},
        {"i3lock", "i3lock", {"i3lock"}, {"i3lock"}, {"i3lock"}},
    };
    static const std::vector<KnownApplication> table = [] {
        std::vector<KnownApplication> rows = others;
        rows.insert(rows.end(), knownTerminals().begin(), knownTerminals().end());
        return rows;
    }();
    return table;
}

} // namespace plovane
