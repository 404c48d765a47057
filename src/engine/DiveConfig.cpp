#include "engine/DiveConfig.h"

#include "platform/KnownTerminals.h"

namespace plovane {

BundleIDSet DiveConfig::defaultOxygenApps()
{
    BundleIDSet apps{
        "com.openai.chat",
        "com.openai.codex",
        "com.anthropic.claudefordesktop",
        "com.anthropic.claudedesktop",
        "com.todesktop.230313mzl4w4u92",
        "com.microsoft.VSCode",
        "com.microsoft.VSCodeInsiders",
        "com.apple.dt.Xcode",
        "com.sublimetext.4",
        "com.sublimetext.3",
        "com.panic.Nova",
        "dev.zed.Zed",
        "com.jetbrains.intellij",
        "com.jetbrains.intellij.ce",
        "com.jetbrains.pycharm",
        "com.jetbrains.pycharm.ce",
        "com.jetbrains.webstorm",
        "com.jetbrains.goland",
        "com.jetbrains.clion",
        "com.jetbrains.rider",
        "com.jetbrains.datagrip",
        "com.jetbrains.phpstorm",
        "com.jetbrains.rubymine",
        "com.jetbrains.fleet",
        "com.google.android.studio",
        "com.figma.Desktop",
        "com.jgraph.drawio.desktop",
        "org.gnome.dia",
        "com.dify.app",
        // Linux editors, by their desktop-file ids.
        "org.kde.kate",
        "org.gnome.Builder",
    };
    // Every terminal we know, on either desktop.
    for (const auto& terminal : knownTerminals())
        apps.emplace(terminal.bundleID);
    return apps;
}

BundleIDSet DiveConfig::defaultResearchApps()
{
    return {
        "com.google.Chrome",
        "com.browsercompany.Arc",
        "com.apple.Safari",
        "org.mozilla.firefox",
        "com.microsoft.Edge",
        "com.apple.Preview",
        "com.apple.Books",
        "com.apple.finder",
        "com.readdle.PDF-Expert",
        "com.notion.id",
        "md.obsidian",
        "com.reederapp.5.macOS",
        // Linux browsers, file managers and document viewers, by their desktop-file ids.
        "org.chromium.Chromium",
        "com.brave.Browser",
        "org.gnome.Epiphany",
        "org.gnome.Nautilus",
        "org.kde.dolphin",
        "thunar",
        "org.gnome.Evince",
        "org.kde.okular",
        "org.pwmt.zathura",
    };
}

BundleIDSet DiveConfig::defaultNitrogenApps()
{
    return {
        "com.tencent.xinWeChat",
        "com.bilibili.app",
        "com.apple.iChat",
    };
}

BundleIDSet DiveConfig::defaultMusicApps()
{
    return {
        "com.apple.Music",
        "com.spotify.client",
        "com.netease.163music",
        "com.netease.cloudmusic",
        "com.tencent.QQMusicMac",
        "com.tencent.qqmusic",
        "com.tencent.QQMusic",
        "com.pandora.pandora",
        "com.amazon.Amazon-Music",
        "com.soundcloud.SoundCloud",
        "com.apple.itunes",
        "fm.last.Last.fm",
        "com.pCloud.pCloud",
        "com.vinyls.Vinyls",
        "com.itu.tidal",
        "com.deezer.Deezer",
        "com.google.youtube.music",
        "com.yandex.music",
        // Linux music players, by their desktop-file ids.
        "org.gnome.Rhythmbox3",
        "org.kde.elisa",
        "org.strawberrymusicplayer.strawberry",
        "org.gnome.Lollypop",
        "io.bassi.Amberol",
        "audacious",
    };
}

} // namespace plovane
