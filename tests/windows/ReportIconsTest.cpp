// The daily report's top applications with the names and icons that the machine's own
// desktop entries and icon theme give them, as the running program finds them.
#include "WindowsTestRig.h"

#include "platform/Paths.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/apps/DesktopEntries.h"
#include "platform/qt/ImageLoader.h"
#include "windows/DailyReportView.h"
#include "windows/SecondaryWindows.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace plovane;
using namespace plovane::test;

namespace {

// Windows as these applications open them: WM_CLASS instance and class, and program.
struct InstalledApp {
    const char* wmInstance;
    const char* wmClass;
    const char* executable;
    long long seconds;
};

// Applications whose only icon is an SVG (gedit, Evince, xterm's mini.xterm), installed
// for the tests by scripts/deps.sh.
constexpr InstalledApp kSvgOnly[] = {
    {"gedit", "Gedit", "gedit", 5400},
    {"evince", "Evince", "evince", 3100},
    {"xterm", "XTerm", "xterm", 2500},
};

class ReportIconsGallery : public ::testing::TestWithParam<Language> {};

TEST_P(ReportIconsGallery, InstalledAppsShowTheirIcons)
{
    const Language lang = GetParam();
    ::setenv("LANGUAGE", lang == Language::zh ? "zh_CN" : "en", 1);
    ApplicationIdentity identity{std::make_shared<DesktopEntries>(paths::dataDirs(), preferredLanguages())};

    WindowsRig rig(lang);
    std::map<std::string, std::pair<std::string, long long>> apps;
    for (const auto& app : kSvgOnly) {
        const ApplicationInfo info = identity.forWindow(app.wmInstance, app.wmClass, app.executable);
        ASSERT_FALSE(info.bundleID.empty()) << app.executable << " is not installed (scripts/deps.sh installs it)";
        ASSERT_FALSE(info.icon.empty()) << info.bundleID;
        EXPECT_FALSE(ImageLoader::appIcon(QString::fromStdString(info.icon), 40).isNull())
            << info.bundleID << ": its icon " << info.icon << " was not found or not drawn";
        rig.icons[info.bundleID] = info.icon;
        apps[info.bundleID] = {info.name, app.seconds};
    }
    apps["org.example.Uninstalled"] = {"Uninstalled Tool", 600};
    rig.setStats({{"Flow", 7200}, {"Research", 3100}, {"Hovering", 300}, {"Resting", 900}}, apps);

    auto window = openDailyReportWindow(*rig.engine, rig.env());
    auto* view = static_cast<DailyReportView*>(window->content());
    rig.settle();
    ASSERT_EQ(view->model().apps.size(), 4u);
    saveToGallery(view->renderPage(), "report-installed-apps-" + suffix(lang));
}

INSTANTIATE_TEST_SUITE_P(Languages, ReportIconsGallery, ::testing::Values(Language::en, Language::zh),
                         [](const auto& info) { return info.param == Language::zh ? "zh" : "en"; });

} // namespace
