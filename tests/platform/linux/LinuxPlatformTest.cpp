#include "platform/Log.h"
#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/session/LogindSleepMonitor.h"
#include "platform/linux/x11/XFixesWindowManagerWatch.h"
#include "platform/linux/x11/XSyncIdleSource.h"
#include "platform/linux/x11/XcbWorkspace.h"
#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "linux-platform-test";
char* argv[] = {arg0, nullptr};

TEST(LinuxPlatformTest, WithoutDisplayOrBusesEveryServiceHasAStandIn)
{
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/plovane-test-bus", 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/plovane-test-system-bus", 1);
    QCoreApplication app(argc, argv);
    std::vector<std::string> lines;
    setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    const auto platform = probeLinuxSensingPlatform();
    setLogSink({});

    ASSERT_TRUE(platform.workspace && platform.inputIdle && platform.accessibility && platform.processes &&
                platform.permissions && platform.sleepWake);
    EXPECT_NE(dynamic_cast<ProcOnlyWorkspace*>(platform.workspace.get()), nullptr);
    EXPECT_FALSE(platform.workspace->frontmostApplication().has_value());
    EXPECT_FALSE(platform.workspace->runningApplications().empty()) << "/proc still lists this process";
    EXPECT_DOUBLE_EQ(platform.inputIdle->secondsSinceLastInput(), 999);
    EXPECT_FALSE(platform.accessibility->isTrusted());
    EXPECT_EQ(platform.accessibility->focusedApplication(), nullptr);
    EXPECT_FALSE(platform.permissions->accessibilityTrusted());
    EXPECT_NE(dynamic_cast<NullSleepWakeNotifier*>(platform.sleepWake.get()), nullptr);
    EXPECT_NE(dynamic_cast<NullScreenWatch*>(platform.screenWatch.get()), nullptr);
    EXPECT_NE(dynamic_cast<NullWindowManagerWatch*>(platform.windowManagerWatch.get()), nullptr);
    EXPECT_TRUE(platform.processes->cpuTimeNanoseconds(static_cast<int>(::getpid())).has_value());
    // One line for each missing service, no more.
    EXPECT_EQ(lines.size(), 3u);
}

TEST(LinuxPlatformTest, OnTheTestDesktopTheRealServicesAreChosen)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);
    const auto platform = probeLinuxSensingPlatform();
    EXPECT_NE(dynamic_cast<XcbWorkspace*>(platform.workspace.get()), nullptr);
    EXPECT_NE(dynamic_cast<XSyncIdleSource*>(platform.inputIdle.get()), nullptr);
    EXPECT_NE(dynamic_cast<AtspiAccessibilitySource*>(platform.accessibility.get()), nullptr);
    EXPECT_TRUE(platform.permissions->accessibilityTrusted());
    EXPECT_LT(platform.inputIdle->secondsSinceLastInput(), 999);
    ASSERT_NE(dynamic_cast<CombinedScreenWatch*>(platform.screenWatch.get()), nullptr);
    EXPECT_TRUE(platform.screenWatch->screenSeen());
    EXPECT_NE(dynamic_cast<XFixesWindowManagerWatch*>(platform.windowManagerWatch.get()), nullptr);
}

} // namespace
} // namespace plovane
