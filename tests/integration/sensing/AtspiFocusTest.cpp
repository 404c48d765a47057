// The focus context read over AT-SPI from a real accessible Qt window on the test
// desktop's accessibility bus.
#include "ChildProcess.h"
#include "TestSupport.h"
#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/accessibility/LinuxPermissionProbe.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/IDEStateProvider.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

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

// An application that shows, takes the focus and only then joins the accessibility bus,
// as one whose accessibility comes up late does: it tells no one of that focus. Its window
// holds a focused field. It answers from a thread of its own, as another process would.
class LateApplication final : public QDBusVirtualObject {
public:
    struct Ref {
        QString bus;
        QDBusObjectPath path;
    };
    static const QString& base()
    {
        static const QString path = QStringLiteral("/org/a11y/atspi/accessible");
        return path;
    }
    static QDBusObjectPath node(const char* name) { return QDBusObjectPath(base() + '/' + QLatin1String(name)); }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString name = message.path().section(QLatin1Char('/'), -1);
        QDBusMessage reply = message.createReply();
        if (message.member() == QLatin1String("GetChildren")) {
            QList<Ref> children;
            if (name == QLatin1String("root"))
                children = {{connection.baseService(), node("window")}};
            else if (name == QLatin1String("window"))
                children = {{connection.baseService(), node("field")}};
            reply << QVariant::fromValue(children);
        } else if (message.member() == QLatin1String("GetState")) {
            constexpr uint active = 1u << 1, focused = 1u << 12, showing = 1u << 25;
            const uint bits = name == QLatin1String("window") ? active | showing
                              : name == QLatin1String("field") ? focused | showing
                                                                : 0u;
            reply << QVariant::fromValue(QList<uint>{bits, 0u});
        } else {
            return false;
        }
        return connection.send(reply);
    }
};

QDBusArgument& operator<<(QDBusArgument& argument, const LateApplication::Ref& ref)
{
    argument.beginStructure();
    argument << ref.bus << ref.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LateApplication::Ref& ref)
{
    argument.beginStructure();
    argument >> ref.bus >> ref.path;
    argument.endStructure();
    return argument;
}

} // namespace
} // namespace plovane

Q_DECLARE_METATYPE(plovane::LateApplication::Ref)

namespace plovane {
namespace {

TEST_F(AtspiFocusTest, FindsTheFocusOfAnApplicationThatJoinsTheBusFocused)
{
    qDBusRegisterMetaType<LateApplication::Ref>();
    qDBusRegisterMetaType<QList<LateApplication::Ref>>();
    auto source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_NE(source, nullptr);

    auto ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                              QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QString address = QDBusConnection::sessionBus().call(ask).arguments().value(0).toString();
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("late-application"));
    LateApplication application;
    QThread thread;
    application.moveToThread(&thread);
    ASSERT_TRUE(bus.registerVirtualObject(LateApplication::base(), &application, QDBusConnection::SubPath));
    thread.start();
    auto embed = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"),
                                                QStringLiteral("/org/a11y/atspi/accessible/root"),
                                                QStringLiteral("org.a11y.atspi.Socket"), QStringLiteral("Embed"));
    embed << QVariant::fromValue(LateApplication::Ref{bus.baseService(), LateApplication::node("root")});
    EXPECT_EQ(bus.call(embed).type(), QDBusMessage::ReplyMessage);

    const AtspiRef field{bus.baseService(), LateApplication::node("field").path()};
    EXPECT_TRUE(pumpUntil([&] { return source->focusedObject() == field; }))
        << "the focus of the application that joined was not found";
    EXPECT_NE(source->focusedApplication(), nullptr);

    QDBusConnection::disconnectFromBus(QStringLiteral("late-application"));
    thread.quit();
    thread.wait();
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
