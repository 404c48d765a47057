// Frontmost application and input idle time against the test desktop's X server and
// window manager.
#include "ChildProcess.h"
#include "TestSupport.h"
#include "platform/AppIdentity.h"
#include "platform/Paths.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/apps/DesktopEntries.h"
#include "platform/linux/x11/XScreenSaverIdleSource.h"
#include "platform/linux/x11/XSyncIdleSource.h"
#include "platform/linux/x11/XcbConnection.h"
#include "platform/linux/x11/XcbWorkspace.h"
#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace plovane {
namespace {

using namespace std::chrono_literals;

class X11SensingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
        connection = XcbConnection::open();
        ASSERT_NE(connection, nullptr) << "cannot connect to DISPLAY " << std::getenv("DISPLAY");
    }

    std::shared_ptr<ApplicationIdentity> identityFromXdg()
    {
        return std::make_shared<ApplicationIdentity>(
            std::make_shared<DesktopEntries>(paths::dataDirs(), preferredLanguages()));
    }

    xcb_window_t activeWindow()
    {
        xcb_window_t active = XCB_WINDOW_NONE;
        auto& ewmh = connection->ewmh();
        if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, 0), &active, nullptr))
            return XCB_WINDOW_NONE;
        return active;
    }

    // Asks the window manager to activate the window and waits until it is active.
    bool activate(const std::string& windowId)
    {
        const auto id = static_cast<xcb_window_t>(std::stoul(windowId));
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::string command = "timeout 20 xdotool windowactivate --sync " + windowId + " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0)
                continue;
            for (int i = 0; i < 200; ++i) {
                if (activeWindow() == id)
                    return true;
                std::this_thread::sleep_for(10ms);
            }
        }
        return false;
    }

    // Waits until the source reports at least `seconds` of idle time.
    static bool waitForIdle(InputIdleSource& source, double seconds)
    {
        for (int i = 0; i < 1000; ++i) {
            if (source.secondsSinceLastInput() >= seconds)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    static void moveThePointer() { ASSERT_EQ(std::system("xdotool mousemove_relative -- 1 1 >/dev/null 2>&1"), 0); }

    // The sequence number the next request on our connection gets.
    unsigned nextSequence()
    {
        auto* c = connection->connection();
        const auto cookie = xcb_get_input_focus(c);
        xcb_discard_reply(c, cookie.sequence);
        return cookie.sequence + 1;
    }

    std::shared_ptr<XcbConnection> connection;
};

TEST_F(X11SensingTest, FrontmostFollowsTheActivatedWindowAndItsIdentity)
{
    XcbWorkspace workspace{connection, identityFromXdg()};
    ActiveAppMonitor monitor{workspace};

    test::ChildProcess code({PLOVANE_TEST_WINDOW, "code", "Code", "main.cpp - Visual Studio Code"});
    test::ChildProcess unknown({PLOVANE_TEST_WINDOW, "xprobe", "XProbe", "Probe"});
    const auto codeId = code.readLine();
    const auto unknownId = unknown.readLine();
    ASSERT_TRUE(codeId && unknownId);

    ASSERT_TRUE(activate(*codeId));
    auto snapshot = monitor.frontmostAppSnapshot();
    EXPECT_EQ(snapshot.bundleID, "com.microsoft.VSCode");
    EXPECT_FALSE(snapshot.name.empty());
    EXPECT_EQ(workspace.frontmostApplication()->pid, code.pid());

    ASSERT_TRUE(activate(*unknownId));
    snapshot = monitor.frontmostAppSnapshot();
    EXPECT_EQ(snapshot.bundleID, "unknown.bundle.id");
    EXPECT_EQ(snapshot.name, "XProbe");
    EXPECT_EQ(snapshot.icon, "");

    ASSERT_TRUE(activate(*codeId));
    EXPECT_EQ(monitor.frontmostBundleID(), "com.microsoft.VSCode");
}

TEST_F(X11SensingTest, FrontmostIsAskedForAgainOnlyWhenTheActiveWindowChanges)
{
    XcbWorkspace workspace{connection, identityFromXdg()};
    test::ChildProcess first({PLOVANE_TEST_WINDOW, "code", "Code", "first"});
    std::optional<test::ChildProcess> second(std::in_place,
                                              std::vector<std::string>{PLOVANE_TEST_WINDOW, "xprobe", "XProbe", "second"});
    const int secondPid = second->pid();
    const auto firstId = first.readLine();
    const auto secondId = second->readLine();
    ASSERT_TRUE(firstId && secondId);

    ASSERT_TRUE(activate(*firstId));
    ASSERT_EQ(workspace.frontmostApplication()->pid, first.pid());
    const auto asked = workspace.roundTrips();
    for (int tick = 0; tick < 5; ++tick)
        EXPECT_EQ(workspace.frontmostApplication()->pid, first.pid());
    EXPECT_EQ(workspace.roundTrips(), asked) << "an unchanged active window was asked for again";

    // The idle source on the same connection reads the events first and leaves the
    // workspace its own.
    auto idle = XSyncIdleSource::open(connection);
    ASSERT_NE(idle, nullptr);
    ASSERT_TRUE(activate(*secondId));
    idle->secondsSinceLastInput();
    EXPECT_EQ(workspace.frontmostApplication()->pid, secondPid);
    EXPECT_GT(workspace.roundTrips(), asked);

    // The window going away moves the focus on; the next read follows it.
    second.reset();
    for (int i = 0; i < 200 && activeWindow() == static_cast<xcb_window_t>(std::stoul(*secondId)); ++i)
        std::this_thread::sleep_for(10ms);
    const auto after = workspace.frontmostApplication();
    EXPECT_TRUE(!after || after->pid != secondPid);
}

TEST_F(X11SensingTest, AnActiveWindowThatNeverSaysWhoItIsIsNotAskedAboutEveryTick)
{
    XcbWorkspace workspace{connection, identityFromXdg()};
    // A window that is gone but still named active, as after an application is killed and
    // before the window manager moves the focus on.
    auto* c = connection->connection();
    const xcb_window_t gone = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, gone, connection->root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_destroy_window(c, gone);
    const xcb_atom_t activeAtom = connection->ewmh()._NET_ACTIVE_WINDOW;
    const xcb_window_t before = activeWindow();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, connection->root(), activeAtom, XCB_ATOM_WINDOW, 32, 1, &gone);
    ASSERT_EQ(activeWindow(), gone);

    const auto start = workspace.roundTrips();
    for (int tick = 0; tick < 10; ++tick)
        workspace.frontmostApplication();
    // A few looks in case it is only being mapped, then no more until the active window changes.
    EXPECT_LE(workspace.roundTrips() - start, 6u);
    EXPECT_GE(workspace.roundTrips() - start, 4u);

    xcb_change_property(c, XCB_PROP_MODE_REPLACE, connection->root(), activeAtom, XCB_ATOM_WINDOW, 32, 1, &before);
    activeWindow(); // the change has reached the server and its event us
    const auto settled = workspace.roundTrips();
    workspace.frontmostApplication();
    EXPECT_GT(workspace.roundTrips(), settled) << "a new active window is read again";
}

TEST_F(X11SensingTest, DesktopEntryGivesIdentifierLocalisedNameAndIcon)
{
    const std::string dataHome = paths::dataHome();
    std::filesystem::create_directories(dataHome + "/applications");
    std::ofstream(dataHome + "/applications/org.example.Probe.desktop")
        << "[Desktop Entry]\nType=Application\nName=Probe\nName[zh_CN]=探针\nIcon=org.example.Probe\n"
           "Exec=probe\nStartupWMClass=PlovaneProbe\n";
    ::setenv("LANGUAGE", "zh_CN", 1);
    XcbWorkspace workspace{connection, identityFromXdg()};

    test::ChildProcess probe({PLOVANE_TEST_WINDOW, "plovaneprobe", "PlovaneProbe", "Probe"});
    const auto id = probe.readLine();
    ASSERT_TRUE(id);
    ASSERT_TRUE(activate(*id));
    const auto app = workspace.frontmostApplication();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->bundleID, "org.example.Probe");
    EXPECT_EQ(app->localizedName, "探针");
    EXPECT_EQ(app->icon, "org.example.Probe");
}

TEST_F(X11SensingTest, OurOwnWindowReportsOurIdentifier)
{
    // A window created by this very process carries our pid.
    auto* c = connection->connection();
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection->root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string wmClass = std::string("code") + '\0' + "Code" + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(wmClass.size()), wmClass.data());
    const uint32_t pid = static_cast<uint32_t>(::getpid());
    xcb_ewmh_set_wm_pid(&connection->ewmh(), window, pid);
    xcb_map_window(c, window);
    xcb_flush(c);

    ASSERT_TRUE(activate(std::to_string(window)));
    XcbWorkspace workspace{connection, identityFromXdg()};
    const auto app = workspace.frontmostApplication();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->bundleID, kAppIdentifier);
    EXPECT_EQ(app->localizedName, kAppName);
    xcb_destroy_window(c, window);
    xcb_flush(c);
}

TEST_F(X11SensingTest, RunningApplicationsIncludeAKnownProgram)
{
    XcbWorkspace workspace{connection, identityFromXdg()};
    // The helper runs under a name the table knows, through a symlink.
    const std::string dir = test::makeTempDir("bin");
    std::filesystem::create_symlink(PLOVANE_TEST_WINDOW, dir + "/spotify");
    test::ChildProcess spotify({dir + "/spotify", "spotify", "Spotify", "Spotify"});
    ASSERT_TRUE(spotify.readLine());
    bool found = false;
    bool self = false;
    for (const auto& app : workspace.runningApplications()) {
        found = found || (app.pid == spotify.pid() && app.bundleID == "com.spotify.client");
        self = self || (app.pid == static_cast<int>(::getpid()) && app.bundleID == kAppIdentifier);
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(self);
}

TEST_F(X11SensingTest, IdleTimeGrowsAndDropsAfterSyntheticInput)
{
    XScreenSaverIdleSource source{connection};
    ASSERT_TRUE(source.available()) << "the X server lacks MIT-SCREEN-SAVER";
    GlobalInputMonitor monitor{source};

    ASSERT_EQ(std::system("xdotool mousemove_relative -- 1 1 >/dev/null 2>&1"), 0);
    const double start = monitor.snapshot().noInputSeconds;
    EXPECT_LT(start, 5.0);
    // Nothing happens: the idle time keeps growing.
    bool grew = false;
    for (int i = 0; i < 1000 && !grew; ++i) {
        std::this_thread::sleep_for(10ms);
        grew = monitor.snapshot().noInputSeconds >= 1.6;
    }
    ASSERT_TRUE(grew);
    EXPECT_FALSE(monitor.snapshot().isActivelyTyping);

    ASSERT_EQ(std::system("xdotool mousemove_relative -- 1 1 >/dev/null 2>&1"), 0);
    bool dropped = false;
    for (int i = 0; i < 500 && !dropped; ++i) {
        dropped = monitor.snapshot().noInputSeconds < 0.5;
        if (!dropped)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(monitor.snapshot().isActivelyTyping);
}

TEST_F(X11SensingTest, AlarmIdleTimeFollowsInputWithoutAskingWhileNothingChanges)
{
    auto source = XSyncIdleSource::open(connection);
    ASSERT_NE(source, nullptr) << "the X server lacks SYNC's IDLETIME counter";
    XScreenSaverIdleSource asked{connection};
    ASSERT_TRUE(asked.available());
    // A workspace on the same connection takes the events first on every tick.
    XcbWorkspace workspace{connection, identityFromXdg()};
    struct Tick final : InputIdleSource {
        XcbWorkspace& workspace;
        XSyncIdleSource& idle;
        Tick(XcbWorkspace& w, XSyncIdleSource& i) : workspace(w), idle(i) {}
        double secondsSinceLastInput() override
        {
            workspace.frontmostApplication();
            return idle.secondsSinceLastInput();
        }
    } tick{workspace, *source};
    GlobalInputMonitor monitor{tick};

    for (int pause = 0; pause < 2; ++pause) {
        // Input brings it under the typing bound at once...
        moveThePointer();
        bool dropped = false;
        for (int i = 0; i < 500 && !dropped; ++i) {
            dropped = tick.secondsSinceLastInput() < XSyncIdleSource::kIdleAlarmSeconds;
            if (!dropped)
                std::this_thread::sleep_for(10ms);
        }
        EXPECT_TRUE(dropped) << "pause " << pause;
        EXPECT_TRUE(monitor.snapshot().isActivelyTyping);

        // ...and without input it grows past it, in agreement with what the server says.
        ASSERT_TRUE(waitForIdle(tick, 1.6)) << "pause " << pause;
        EXPECT_FALSE(monitor.snapshot().isActivelyTyping);
        EXPECT_NEAR(tick.secondsSinceLastInput(), asked.secondsSinceLastInput(), 0.1);

        // While nothing happens the calls send no request and the figure keeps growing.
        const unsigned before = nextSequence();
        double last = source->secondsSinceLastInput();
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(30ms);
            const double now = source->secondsSinceLastInput();
            EXPECT_GT(now, last);
            last = now;
        }
        EXPECT_EQ(nextSequence(), before + 1) << "a call asked the server while the user was away";
        EXPECT_NEAR(last, asked.secondsSinceLastInput(), 0.1);
    }
}

TEST_F(X11SensingTest, TheTraceTellsKeysFromThePointer)
{
    auto source = XSyncIdleSource::open(connection);
    ASSERT_NE(source, nullptr) << "the X server lacks SYNC's IDLETIME counter";
    GlobalInputMonitor monitor{*source};
    // A modifier alone: nothing anyone's window does with it.
    ASSERT_EQ(std::system("xdotool key Shift_L >/dev/null 2>&1"), 0);
    EXPECT_EQ(monitor.lastInputLabel(), "keys");
    moveThePointer();
    EXPECT_EQ(monitor.lastInputLabel(), "pointer");
    ASSERT_EQ(std::system("xdotool key Shift_L >/dev/null 2>&1"), 0);
    EXPECT_EQ(monitor.lastInputLabel(), "keys");
}

} // namespace
} // namespace plovane
