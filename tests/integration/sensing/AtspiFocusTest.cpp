// The focus context read over AT-SPI from a real accessible Qt window on the test
// desktop's accessibility bus.
#include "ChildProcess.h"
#include "LateApplication.h"
#include "TestSupport.h"
#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/accessibility/LinuxPermissionProbe.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/IDEStateProvider.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "atspi-focus-test";
char* argv[] = {arg0, nullptr};

template <typename Condition>
bool pumpUntil(Condition condition, int deadlineMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > deadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class AtspiFocusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    std::unique_ptr<QCoreApplication> app;
};

TEST_F(AtspiFocusTest, ReadsTheFocusedLineEditOfAnAccessibleWindow)
{
    auto source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_NE(source, nullptr) << "the test desktop has no accessibility bus";
    ASSERT_TRUE(source->isTrusted()) << "org.a11y.Status.IsEnabled is off";

    auto window = std::make_unique<test::ChildProcess>(std::vector<std::string>{PLOVANE_ACCESSIBLE_WINDOW});
    const auto id = window->readLine();
    ASSERT_TRUE(id);
    ASSERT_EQ(std::system(("timeout 20 xdotool windowactivate --sync " + *id + " >/dev/null 2>&1").c_str()), 0);
    ASSERT_TRUE(pumpUntil([&] { return source->focusedApplication() != nullptr; }))
        << "no focus event arrived from the accessible window";

    AXContextMonitor monitor{*source};
    const auto context = monitor.snapshot("org.example.Probe");
    EXPECT_TRUE(context.accessibilityTrusted);
    EXPECT_EQ(context.focusedRole, "AXTextField");
    EXPECT_EQ(context.inputFieldHint, "Ask anything");
    EXPECT_EQ(context.windowTitle, "Prompt Window");
    EXPECT_EQ(context.selectedText, "");
    EXPECT_EQ(context.lastInputFieldDescriptor,
              "bundle=org.example.Probe|window=Prompt Window|role=AXTextField|label=" + context.inputFieldHint);

    // The classifier sees a prompt box in an AI editor.
    IDEStateProvider provider{monitor};
    const auto ide = provider.snapshot(ActiveAppSnapshot{"Cursor", "com.todesktop.230313mzl4w4u92", ""},
                                       InputSnapshot{0.2, true}, 0, IDESensingSwitches{true, false});
    EXPECT_EQ(ide.primaryState, IDEPrimaryState::prompting);
    EXPECT_EQ(ide.summary.rfind("cursor:prompting | role=AXTextField", 0), 0u) << ide.summary;

    // Tab to the multi-line editor and select its text.
    const auto focusedBefore = source->focusedObject();
    ASSERT_EQ(std::system("xdotool key --clearmodifiers Tab >/dev/null 2>&1"), 0);
    ASSERT_TRUE(pumpUntil([&] { return source->focusedObject() != focusedBefore; }));
    ASSERT_EQ(std::system("xdotool key --clearmodifiers ctrl+a >/dev/null 2>&1"), 0);
    AXContextSnapshot editor;
    EXPECT_TRUE(pumpUntil([&] {
        editor = monitor.snapshot("org.example.Probe");
        return editor.selectedText == "fn main() {}";
    })) << editor.selectedText;
    EXPECT_EQ(editor.focusedRole, "AXTextArea");
    EXPECT_EQ(editor.focusedLabel, "Editor");
    EXPECT_EQ(editor.windowTitle, "Prompt Window");

    // The application quits: no focused application any more, so the context is unavailable.
    window.reset();
    EXPECT_TRUE(pumpUntil([&] { return source->focusedApplication() == nullptr; }));
    EXPECT_FALSE(monitor.snapshot("org.example.Probe").accessibilityTrusted);
}

// An application (a process of its own) that joins the bus with its focus already set.
TEST_F(AtspiFocusTest, FindsTheFocusOfAnApplicationThatJoinsTheBusFocused)
{
    auto source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_NE(source, nullptr);
    test::ChildProcess application({PLOVANE_LATE_APPLICATION});
    const auto bus = application.readLine();
    ASSERT_TRUE(bus) << "the late application did not join the bus";

    const AtspiRef field{QString::fromStdString(*bus), test::LateApplication::node("field").path()};
    EXPECT_TRUE(pumpUntil([&] { return source->focusedObject() == field; }))
        << "the focus of the application that joined was not found";
    EXPECT_NE(source->focusedApplication(), nullptr);
}

// The toolkit's own accessibility bridge joins the bus as an application of this process
// and answers on this thread: the source never calls it, where a blocking call would only
// wait out its time.
TEST_F(AtspiFocusTest, NeverCallsIntoItsOwnProcess)
{
    auto source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_NE(source, nullptr);
    QDBusConnection bus = QDBusConnection::connectToBus(test::accessibilityBusAddress(), QStringLiteral("own-bridge"));
    test::LateApplication application; // on this thread, as the toolkit's bridge is
    ASSERT_TRUE(application.join(bus));
    // Joined, and then its window is active: past the looks either would bring.
    pumpUntil([] { return false; }, 3000);

    for (const QString& caller : application.callers) {
        auto pid = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("/org/freedesktop/DBus"),
                                                  QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("GetConnectionUnixProcessID"));
        pid.setArguments({caller});
        EXPECT_NE(bus.call(pid).arguments().value(0).toUInt(), static_cast<uint>(::getpid()))
            << "the source called into its own process (" << caller.toStdString() << ")";
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("own-bridge"));
}

TEST_F(AtspiFocusTest, FindsTheFocusThatWasThereBeforeItListened)
{
    // Deep below many other objects, as in a real editor's tree.
    test::ChildProcess window({PLOVANE_ACCESSIBLE_WINDOW, "--crowd"});
    const auto id = window.readLine();
    ASSERT_TRUE(id);
    ASSERT_EQ(std::system(("timeout 20 xdotool windowactivate --sync " + *id + " >/dev/null 2>&1").c_str()), 0);
    // The window joins the bus a moment after it shows, and then tells of no focus it
    // already has: start afresh until it is there, each time looking only at start.
    std::unique_ptr<AtspiAccessibilitySource> source;
    QElapsedTimer timer;
    timer.start();
    do {
        source.reset();
        source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
        ASSERT_NE(source, nullptr);
        if (source->focusedApplication())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (timer.elapsed() < 15000);
    ASSERT_NE(source->focusedApplication(), nullptr) << "the focus was not found at start";
    AXContextMonitor monitor{*source};
    const auto context = monitor.snapshot("org.example.Probe");
    EXPECT_EQ(context.focusedRole, "AXTextField");
    EXPECT_EQ(context.inputFieldHint, "Ask anything");
    EXPECT_EQ(context.windowTitle, "Prompt Window");
}

TEST_F(AtspiFocusTest, TrustFollowsTheSwitchAndTheRequestTurnsItOn)
{
    auto source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_NE(source, nullptr);
    LinuxPermissionProbe probe{QDBusConnection::sessionBus()};
    ASSERT_TRUE(probe.accessibilityTrusted());
    EXPECT_TRUE(LinuxPermissionProbe::isX11Session());

    auto set = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                              QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                      QVariant::fromValue(QDBusVariant(false))});
    ASSERT_EQ(QDBusConnection::sessionBus().call(set).type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(probe.accessibilityTrusted());
    EXPECT_TRUE(pumpUntil([&] { return !source->isTrusted(); }));

    // The permission request switches accessibility back on, and the source hears of it.
    probe.requestAccessibility();
    EXPECT_TRUE(probe.accessibilityTrusted());
    EXPECT_TRUE(pumpUntil([&] { return source->isTrusted(); }));
}

} // namespace
} // namespace plovane
