#include "TestSupport.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/apps/DesktopEntries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace plovane {
namespace {

// One row per known application: how its window and its process introduce themselves,
// and the identifier they must map to. Written out by hand so a slip in the table shows.
struct Row {
    const char* bundleID;
    const char* wmInstance;
    const char* wmClass;
    const char* executable;
};

const Row kRows[] = {
    {"com.microsoft.VSCode", "code", "Code", "code"},
    {"com.microsoft.VSCodeInsiders", "code - insiders", "Code - Insiders", "code-insiders"},
    {"com.todesktop.230313mzl4w4u92", "cursor", "Cursor", "cursor"},
    {"com.sublimetext.4", "sublime_text", "Sublime_text", "sublime_text"},
    {"dev.zed.Zed", "zed", "dev.zed.Zed", "zed-editor"},
    {"com.jetbrains.intellij", "jetbrains-idea", "jetbrains-idea", "idea"},
    {"com.jetbrains.intellij.ce", "jetbrains-idea-ce", "jetbrains-idea-ce", ""},
    {"com.jetbrains.pycharm", "jetbrains-pycharm", "jetbrains-pycharm", "pycharm"},
    {"com.jetbrains.pycharm.ce", "jetbrains-pycharm-ce", "jetbrains-pycharm-ce", ""},
    {"com.jetbrains.webstorm", "jetbrains-webstorm", "jetbrains-webstorm", "webstorm"},
    {"com.jetbrains.goland", "jetbrains-goland", "jetbrains-goland", "goland"},
    {"com.jetbrains.clion", "jetbrains-clion", "jetbrains-clion", "clion"},
    {"com.jetbrains.rider", "jetbrains-rider", "jetbrains-rider", "rider"},
    {"com.jetbrains.datagrip", "jetbrains-datagrip", "jetbrains-datagrip", "datagrip"},
    {"com.jetbrains.phpstorm", "jetbrains-phpstorm", "jetbrains-phpstorm", "phpstorm"},
    {"com.jetbrains.rubymine", "jetbrains-rubymine", "jetbrains-rubymine", "rubymine"},
    {"com.jetbrains.fleet", "fleet", "Fleet", "fleet"},
    {"com.google.android.studio", "sun-awt-X11-XFramePeer", "jetbrains-studio", "studio"},
    {"dev.warp.Warp-Stable", "dev.warp.Warp", "dev.warp.Warp", "warp-terminal"},
    {"org.gnome.Terminal", "gnome-terminal-server", "Gnome-terminal", "gnome-terminal-server"},
    {"org.kde.konsole", "konsole", "konsole", "konsole"},
    {"com.jgraph.drawio.desktop", "drawio", "drawio", "drawio"},
    {"org.gnome.dia", "dia-normal", "Dia", "dia"},
    {"com.google.Chrome", "google-chrome", "Google-chrome", "chrome"},
    {"org.mozilla.firefox", "Navigator", "firefox", "firefox"},
    {"com.microsoft.Edge", "microsoft-edge", "Microsoft-edge", "msedge"},
    {"md.obsidian", "obsidian", "obsidian", "obsidian"},
    {"com.tencent.xinWeChat", "wechat", "wechat", "wechat"},
    {"com.spotify.client", "spotify", "Spotify", "spotify"},
    {"com.netease.163music", "netease-cloud-music", "netease-cloud-music", "netease-cloud-music"},
    {"com.tencent.qqmusic", "qqmusic", "qqmusic", "qqmusic"},
    {"org.gnome.Console", "org.gnome.Console", "Org.gnome.Console", "kgx"},
    {"com.gexperts.Tilix", "tilix", "Tilix", "tilix"},
    {"xfce4-terminal", "xfce4-terminal", "Xfce4-terminal", "xfce4-terminal"},
    {"org.alacritty.Alacritty", "Alacritty", "Alacritty", "alacritty"},
    {"kitty", "kitty", "kitty", "kitty"},
    {"xterm", "xterm", "XTerm", "xterm"},
    {"org.wezfurlong.wezterm", "org.wezfurlong.wezterm", "org.wezfurlong.wezterm", "wezterm-gui"},
    {"org.codeberg.dnkl.foot", "foot", "foot", "foot"},
    {"terminator", "terminator", "Terminator", "terminator"},
    {"qterminal", "qterminal", "qterminal", "qterminal"},
    {"lxterminal", "lxterminal", "Lxterminal", "lxterminal"},
    {"rxvt-unicode", "urxvt", "URxvt", "urxvt"},
    {"terminology", "terminology", "terminology", "terminology"},
    {"com.mitchellh.ghostty", "ghostty", "com.mitchellh.ghostty", "ghostty"},
    {"org.kde.yakuake", "yakuake", "yakuake", "yakuake"},
    {"org.gnome.Ptyxis", "org.gnome.Ptyxis", "Org.gnome.Ptyxis", "ptyxis"},
    {"org.kde.kate", "kate", "kate", "kate"},
    {"org.gnome.Builder", "gnome-builder", "Gnome-builder", "gnome-builder"},
    {"org.chromium.Chromium", "chromium", "Chromium", "chromium"},
    {"com.brave.Browser", "brave-browser", "Brave-browser", "brave"},
    {"org.gnome.Epiphany", "epiphany", "Epiphany", "epiphany"},
    {"org.gnome.Nautilus", "org.gnome.Nautilus", "Org.gnome.Nautilus", "nautilus"},
    {"org.kde.dolphin", "dolphin", "dolphin", "dolphin"},
    {"thunar", "thunar", "Thunar", "thunar"},
    {"org.gnome.Evince", "evince", "Evince", "evince"},
    {"org.kde.okular", "okular", "okular", "okular"},
    {"org.pwmt.zathura", "zathura", "Zathura", "zathura"},
    {"org.gnome.Rhythmbox3", "rhythmbox", "Rhythmbox", "rhythmbox"},
    {"org.kde.elisa", "elisa", "elisa", "elisa"},
    {"org.strawberrymusicplayer.strawberry", "strawberry", "strawberry", "strawberry"},
    {"org.gnome.Lollypop", "lollypop", "Lollypop", "lollypop"},
    {"io.bassi.Amberol", "amberol", "Amberol", "amberol"},
    {"audacious", "audacious", "Audacious", "audacious"},
    {"org.gnome.Shell", "gnome-shell", "Gnome-shell", "gnome-shell"},
    {"org.kde.plasmashell", "plasmashell", "plasmashell", "plasmashell"},
    {"xfce4-panel", "xfce4-panel", "Xfce4-panel", "xfce4-panel"},
    {"org.kde.kscreenlocker", "kscreenlocker_greet", "kscreenlocker_greet", "kscreenlocker_greet"},
    {"xscreensaver", "xscreensaver", "XScreenSaver", "xscreensaver"},
    {"light-locker", "light-locker", "Light-locker", "light-locker"},
    {"xfce4-screensaver", "xfce4-screensaver", "Xfce4-screensaver", "xfce4-screensaver"},
    {"i3lock", "i3lock", "i3lock", "i3lock"},
};

class AppRow : public ::testing::TestWithParam<Row> {
protected:
    std::shared_ptr<DesktopEntries> none = std::make_shared<DesktopEntries>(std::vector<std::string>{});
    ApplicationIdentity identity{none};
};

TEST_P(AppRow, WindowAndProcessMapToIt)
{
    const Row& row = GetParam();
    const auto byWindow = identity.forWindow(row.wmInstance, row.wmClass, "");
    EXPECT_EQ(byWindow.bundleID, row.bundleID);
    EXPECT_FALSE(byWindow.name.empty());
    if (*row.executable) {
        const auto byProcess = identity.forProcess(row.executable);
        ASSERT_TRUE(byProcess.has_value());
        EXPECT_EQ(byProcess->bundleID, row.bundleID);
        // A window without a usable class still finds its application by its program.
        EXPECT_EQ(identity.forWindow("", "", row.executable).bundleID, row.bundleID);
    }
}

INSTANTIATE_TEST_SUITE_P(Known, AppRow, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return test::testName(info.param.bundleID); });

TEST(ApplicationIdentityTableTest, EveryRowIsCoveredAndIdentifiersAreUnique)
{
    std::set<std::string_view> all;
    std::set<std::string_view> ids; // of the rows a Linux desktop can show
    for (const auto& app : knownApplications()) {
        EXPECT_TRUE(all.insert(app.bundleID).second) << app.bundleID;
        if (!app.wmClasses.empty() || !app.desktopIds.empty() || !app.executables.empty())
            ids.insert(app.bundleID);
    }
    std::set<std::string_view> tested;
    for (const auto& row : kRows)
        tested.insert(row.bundleID);
    EXPECT_EQ(ids, tested);
}

void writeFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

class DesktopEntriesTest : public ::testing::Test {
protected:
    std::string user = test::makeTempDir("user-data");
    std::string system = test::makeTempDir("system-data");
};

TEST_F(DesktopEntriesTest, LookupsByIdClassAndProgramWithLocalisedNames)
{
    writeFile(system + "/applications/org.example.Notes.desktop",
              "[Desktop Entry]\nType=Application\nName=Notes\nName[zh_CN]=笔记\nName[zh]=笔记本\n"
              "Icon=org.example.Notes\nExec=env FOO=1 /opt/notes/notes-bin --new %U\nStartupWMClass=NotesMain\n"
              "[Desktop Action new]\nName=Should not win\nExec=other\n");
    writeFile(system + "/applications/kde/pad.desktop", "[Desktop Entry]\nName=Pad\nExec=\"/usr/bin/pad app\"\n");
    DesktopEntries entries({system}, {"zh_CN", "zh"});

    const auto* notes = entries.byStartupWMClass("notesmain");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->id, "org.example.Notes");
    EXPECT_EQ(notes->name, "笔记");
    EXPECT_EQ(notes->icon, "org.example.Notes");
    EXPECT_EQ(entries.byExecutable("notes-bin"), notes);
    EXPECT_EQ(entries.byId("ORG.EXAMPLE.NOTES"), notes);

    const auto* pad = entries.byId("kde-pad");
    ASSERT_NE(pad, nullptr) << "ids of subfolders join with a dash";
    EXPECT_EQ(pad->executable, "pad app");
    EXPECT_EQ(pad->name, "Pad");

    DesktopEntries english({system}, {"en_GB", "en"});
    EXPECT_EQ(english.byId("org.example.Notes")->name, "Notes");
}

TEST_F(DesktopEntriesTest, EarlierFolderHidesLaterAndHiddenEntriesHideToo)
{
    writeFile(user + "/applications/tool.desktop", "[Desktop Entry]\nName=Mine\nExec=tool\n");
    writeFile(system + "/applications/tool.desktop", "[Desktop Entry]\nName=System\nExec=tool\n");
    writeFile(user + "/applications/gone.desktop", "[Desktop Entry]\nName=Gone\nHidden=true\n");
    writeFile(system + "/applications/gone.desktop", "[Desktop Entry]\nName=Gone\nExec=gone\n");
    writeFile(system + "/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=x\n");
    writeFile(system + "/applications/broken.desktop", "no group here\n\0\xff");
    DesktopEntries entries({user, system}, {});
    EXPECT_EQ(entries.byId("tool")->name, "Mine");
    EXPECT_EQ(entries.byId("gone"), nullptr);
    EXPECT_EQ(entries.byExecutable("gone"), nullptr);
    EXPECT_EQ(entries.byId("link"), nullptr);
    EXPECT_EQ(entries.byId("broken"), nullptr);
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(DesktopEntriesTest, IdentityPrefersKnownRowsThenEntriesThenClassName)
{
    writeFile(system + "/applications/code.desktop",
              "[Desktop Entry]\nName=Visual Studio Code\nName[de]=Code-Editor\nIcon=vscode\nExec=/usr/share/code/code\n"
              "StartupWMClass=Code\n");
    writeFile(system + "/applications/org.example.Paint.desktop",
              "[Desktop Entry]\nName=Paint\nIcon=/opt/paint/icon.png\nExec=paint\n");
    auto entries = std::make_shared<DesktopEntries>(std::vector<std::string>{system}, std::vector<std::string>{"de"});
    ApplicationIdentity identity{entries};

    auto code = identity.forWindow("code", "Code", "code");
    EXPECT_EQ(code.bundleID, "com.microsoft.VSCode");
    EXPECT_EQ(code.name, "Code-Editor");
    EXPECT_EQ(code.icon, "vscode");

    auto paint = identity.forWindow("paint", "org.example.Paint", "paint");
    EXPECT_EQ(paint.bundleID, "org.example.Paint");
    EXPECT_EQ(paint.icon, "/opt/paint/icon.png");

    auto unknown = identity.forWindow("xeyes", "XEyes", "xeyes");
    EXPECT_EQ(unknown.bundleID, "");
    EXPECT_EQ(unknown.name, "XEyes");
    EXPECT_FALSE(identity.forProcess("bash").has_value());
}

// Entry sets as their packages install them (keys that do not identify or present an
// application left out): several entries on one program, web-app launchers beside their
// browser, and entries Flatpak exports ahead of the system's.
struct EntryFile {
    const char* folder; // "user", "flatpak" or "system"
    const char* file;
    const char* text;
};

const EntryFile kEntrySets[] = {
    {"system", "org.xfce.mousepad.desktop",
     "[Desktop Entry]\nName=Mousepad\nExec=mousepad %U\nIcon=org.xfce.mousepad\nType=Application\n"
     "Actions=preferences;\n[Desktop Action preferences]\nName=Mousepad Preferences\nExec=mousepad --preferences\n"},
    {"system", "org.xfce.mousepad-settings.desktop",
     "[Desktop Entry]\nName=Text Editor Settings\nExec=mousepad --preferences\nIcon=org.xfce.mousepad\n"
     "Type=Application\nNotShowIn=GNOME;\n"},
    {"system", "libreoffice-startcenter.desktop",
     "[Desktop Entry]\nNoDisplay=false\nIcon=libreoffice-startcenter\nExec=libreoffice %U\n"
     "Name=LibreOffice Start Center\nStartupWMClass=libreoffice-startcenter\nType=Application\n"
     "[Desktop Action Writer]\nName=Writer\nExec=libreoffice --writer\n"},
    {"system", "libreoffice-xsltfilter.desktop",
     "[Desktop Entry]\nType=Application\nExec=libreoffice %U\nName=LibreOffice XSLT based filters\nNoDisplay=true\n"},
    {"system", "libreoffice-writer.desktop",
     "[Desktop Entry]\nIcon=libreoffice-writer\nExec=libreoffice --writer %U\nName=LibreOffice Writer\n"
     "StartupWMClass=libreoffice-writer\nType=Application\n"},
    {"system", "libreoffice-calc.desktop",
     "[Desktop Entry]\nIcon=libreoffice-calc\nExec=libreoffice --calc %U\nName=LibreOffice Calc\n"
     "StartupWMClass=libreoffice-calc\nType=Application\n"},
    {"system", "chromium.desktop",
     "[Desktop Entry]\nName=Chromium Web Browser\nExec=/usr/bin/chromium %U\nType=Application\nIcon=chromium\n"
     "StartupWMClass=chromium\n[Desktop Action new-window]\nName=New Window\nExec=/usr/bin/chromium\n"},
    {"user", "chrome-cinhimbnkkaeohfgghhklpknlkffjgod-Default.desktop",
     "#!/usr/bin/env xdg-open\n[Desktop Entry]\nVersion=1.0\nTerminal=false\nType=Application\nName=YouTube Music\n"
     "Exec=/usr/bin/chromium --profile-directory=Default --app-id=cinhimbnkkaeohfgghhklpknlkffjgod\n"
     "Icon=chrome-cinhimbnkkaeohfgghhklpknlkffjgod-Default\nStartupWMClass=crx_cinhimbnkkaeohfgghhklpknlkffjgod\n"},
    {"system", "debian-xterm.desktop",
     "[Desktop Entry]\nName=XTerm\nExec=xterm\nIcon=mini.xterm\nType=Application\nStartupWMClass=XTerm\n"},
    {"system", "debian-uxterm.desktop",
     "[Desktop Entry]\nName=UXTerm\nExec=uxterm\nIcon=mini.xterm\nType=Application\nStartupWMClass=UXTerm\n"},
    {"system", "org.gnome.gedit.desktop",
     "[Desktop Entry]\nName=gedit\nExec=gedit %U\nType=Application\nIcon=org.gnome.gedit\n"
     "[Desktop Action new-window]\nName=New Window\nExec=gedit --new-window\n"},
    {"flatpak", "org.gnome.gedit.desktop",
     "[Desktop Entry]\nName=Text Editor (Flatpak)\nExec=/usr/bin/flatpak run --branch=stable --arch=x86_64 "
     "--command=gedit --file-forwarding org.gnome.gedit @@u %U @@\nType=Application\nIcon=org.gnome.gedit\n"
     "X-Flatpak=org.gnome.gedit\n"},
    {"flatpak", "com.visualstudio.code.desktop",
     "[Desktop Entry]\nName=Visual Studio Code\nExec=/usr/bin/flatpak run --branch=stable --arch=x86_64 "
     "--command=code --file-forwarding com.visualstudio.code @@ %F @@\nIcon=com.visualstudio.code\n"
     "Type=Application\nStartupWMClass=Code\nX-Flatpak=com.visualstudio.code\n"},
    {"flatpak", "org.telegram.desktop.desktop",
     "[Desktop Entry]\nName=Telegram Desktop\nExec=/usr/bin/flatpak run --branch=stable --arch=x86_64 "
     "--command=telegram-desktop --file-forwarding org.telegram.desktop -- @@u %u @@\nIcon=org.telegram.desktop\n"
     "Type=Application\nStartupWMClass=TelegramDesktop\nX-Flatpak=org.telegram.desktop\n"},
    {"flatpak", "org.chromium.Chromium.flextop.chrome-agimnkijcaahngcdmfeangaknmldooml-Default.desktop",
     "[Desktop Entry]\nVersion=1.0\nType=Application\nName=YouTube\nExec=/usr/bin/flatpak run --branch=stable "
     "--arch=x86_64 --command=/app/bin/chromium --file-forwarding org.chromium.Chromium "
     "--profile-directory=Default --app-id=agimnkijcaahngcdmfeangaknmldooml\n"
     "Icon=org.chromium.Chromium.flextop.chrome-agimnkijcaahngcdmfeangaknmldooml-Default\n"
     "StartupWMClass=crx_agimnkijcaahngcdmfeangaknmldooml\n"},
};

// A window (or, with no class, a process) and the application it must be booked under.
struct EntryChoice {
    const char* wmInstance;
    const char* wmClass;
    const char* executable;
    const char* bundleID;
    const char* name;
};

const EntryChoice kEntryChoices[] = {
    // Two entries on one program: the application, not its settings dialog.
    {"mousepad", "Mousepad", "mousepad", "org.xfce.mousepad", "Mousepad"},
    {"", "", "mousepad", "org.xfce.mousepad", "Mousepad"},
    // One program behind every LibreOffice application: each window names its own.
    {"libreoffice", "libreoffice-writer", "soffice.bin", "libreoffice-writer", "LibreOffice Writer"},
    {"libreoffice", "libreoffice-calc", "soffice.bin", "libreoffice-calc", "LibreOffice Calc"},
    {"libreoffice", "libreoffice-startcenter", "soffice.bin", "libreoffice-startcenter", "LibreOffice Start Center"},
    {"", "", "libreoffice", "libreoffice-startcenter", "LibreOffice Start Center"},
    // A web app shares the browser's class; its launcher names the instance.
    {"chromium", "Chromium", "chromium", "org.chromium.Chromium", "Chromium Web Browser"},
    {"crx_cinhimbnkkaeohfgghhklpknlkffjgod", "Chromium", "chromium", "chrome-cinhimbnkkaeohfgghhklpknlkffjgod-Default",
     "YouTube Music"},
    {"", "", "chromium", "org.chromium.Chromium", "Chromium Web Browser"},
    {"xterm", "XTerm", "xterm", "xterm", "XTerm"},
    {"xterm", "UXTerm", "xterm", "xterm", "XTerm"},
    // Flatpak's entries: the program comes from --command, and they hide the system's.
    {"gedit", "Gedit", "gedit", "org.gnome.gedit", "Text Editor (Flatpak)"},
    {"", "", "gedit", "org.gnome.gedit", "Text Editor (Flatpak)"},
    {"code", "Code", "code", "com.microsoft.VSCode", "Visual Studio Code"},
    {"telegram-desktop", "TelegramDesktop", "telegram-desktop", "org.telegram.desktop", "Telegram Desktop"},
    {"", "", "telegram-desktop", "org.telegram.desktop", "Telegram Desktop"},
    {"crx_agimnkijcaahngcdmfeangaknmldooml", "Chromium", "chromium",
     "org.chromium.Chromium.flextop.chrome-agimnkijcaahngcdmfeangaknmldooml-Default", "YouTube"},
};

TEST(ApplicationIdentityEntrySetsTest, EachGetsTheEntryADesktopWouldPick)
{
    const std::string root = test::makeTempDir("entry-sets");
    for (const auto& file : kEntrySets)
        writeFile(root + "/" + file.folder + "/applications/" + file.file, file.text);
    auto entries = std::make_shared<DesktopEntries>(
        std::vector<std::string>{root + "/user", root + "/flatpak", root + "/system"}, std::vector<std::string>{});
    ApplicationIdentity identity{entries};

    for (const auto& c : kEntryChoices) {
        const std::string what = std::string(c.wmInstance) + "/" + c.wmClass + "/" + c.executable;
        const ApplicationInfo info = *c.wmClass ? identity.forWindow(c.wmInstance, c.wmClass, c.executable)
                                                 : identity.forProcess(c.executable).value_or(ApplicationInfo{});
        EXPECT_EQ(info.bundleID, c.bundleID) << what;
        EXPECT_EQ(info.name, c.name) << what;
    }
    // A Wayland window names its desktop entry.
    EXPECT_EQ(identity.forAppId("org.xfce.mousepad", "mousepad").bundleID, "org.xfce.mousepad");
    EXPECT_EQ(identity.forAppId("chrome-cinhimbnkkaeohfgghhklpknlkffjgod-Default", "chromium").name, "YouTube Music");
}

TEST(PreferredLanguagesTest, ReadsLanguageListThenLocale)
{
    ::setenv("LANGUAGE", "zh_CN:en", 1);
    ::setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(preferredLanguages(), (std::vector<std::string>{"zh_CN", "zh", "en", "de_DE", "de"}));
    ::unsetenv("LANGUAGE");
    ::setenv("LC_ALL", "C", 1);
    EXPECT_TRUE(preferredLanguages().empty());
}

} // namespace
} // namespace plovane
