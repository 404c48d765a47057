// Whether the screen can be seen: the X server's screen saver forced on and off, and a
// screen saver and logind on a bus, played by stand-ins that own their names.
#include "platform/linux/session/DBusScreenLockWatch.h"
#include "platform/linux/x11/XScreenSaverWatch.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "screen-watch-test";
char* argv[] = {arg0, nullptr};

// Runs the event loop until `done` or five seconds have gone.
bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(ScreenWatchTest, TheXScreenSaverTurningOnAndOffIsToldAtOnce)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);
    auto watch = XScreenSaverWatch::open();
    ASSERT_NE(watch, nullptr);
    EXPECT_TRUE(watch->screenSeen());
    int changes = 0;
    auto counted = watch->changed.connect([&] { ++changes; });

    // Another client forces the saver, as `xset s activate` does, then resets it.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(other), 0);
    xcb_force_screen_saver(other, XCB_SCREEN_SAVER_ACTIVE);
    xcb_flush(other);
    EXPECT_TRUE(waitFor([&] { return !watch->screenSeen(); }));
    EXPECT_EQ(changes, 1);
    xcb_force_screen_saver(other, XCB_SCREEN_SAVER_RESET);
    xcb_flush(other);
    EXPECT_TRUE(waitFor([&] { return watch->screenSeen(); }));
    EXPECT_EQ(changes, 2);
    xcb_disconnect(other);
}

// logind's manager and one session, enough to be asked which session is ours and
// whether it is locked.
class FakeLogind : public QDBusVirtualObject {
public:
    bool locked{false};
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QLatin1String("GetSessionByPID"))
            return connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kSession))));
        if (message.member() == QLatin1String("Get") && message.path() == kSession)
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(locked))));
        return false;
    }
    static inline const QString kSession = QStringLiteral("/org/freedesktop/login1/session/_3");
};

TEST(ScreenWatchTest, AnActiveScreenSaverOrALockedSessionOnTheBusHidesTheScreen)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);
    QDBusConnection fake = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-services"));
    ASSERT_TRUE(fake.isConnected());
    ASSERT_TRUE(fake.registerService(QStringLiteral("org.freedesktop.login1")))
        << "another test owns the name; these tests must not run at the same time";
    FakeLogind logind;
    logind.locked = true; // locked before we start
    ASSERT_TRUE(fake.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                           QDBusConnection::SubPath));

    // The session bus plays both buses here.
    DBusScreenLockWatch watch(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    EXPECT_TRUE(waitFor([&] { return !watch.screenSeen(); })) << "found locked at the start";

    auto lockedHint = [&](bool locked) {
        auto signal = QDBusMessage::createSignal(FakeLogind::kSession, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                 QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.freedesktop.login1.Session")
               << QVariantMap{{QStringLiteral("LockedHint"), locked}} << QStringList();
        ASSERT_TRUE(fake.send(signal));
    };
    auto saverActive = [&](bool active) {
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                 QStringLiteral("org.freedesktop.ScreenSaver"),
                                                 QStringLiteral("ActiveChanged"));
        signal << active;
        ASSERT_TRUE(fake.send(signal));
    };
    lockedHint(false);
    EXPECT_TRUE(waitFor([&] { return watch.screenSeen(); }));
    // The screen saver comes on; the session locks behind it; unlocked, the saver still runs.
    saverActive(true);
    EXPECT_TRUE(waitFor([&] { return !watch.screenSeen(); }));
    lockedHint(true);
    lockedHint(false);
    saverActive(false);
    EXPECT_TRUE(waitFor([&] { return watch.screenSeen(); }));

    fake.unregisterObject(QStringLiteral("/org/freedesktop/login1"), QDBusConnection::UnregisterTree);
    fake.unregisterService(QStringLiteral("org.freedesktop.login1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-services"));
}

} // namespace
} // namespace plovane
