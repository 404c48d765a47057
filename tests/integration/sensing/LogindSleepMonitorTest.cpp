// Sleep and wake from PrepareForSleep, sent by a stand-in for logind that owns its name
// on a bus connection of its own.
#include "platform/linux/session/LogindSleepMonitor.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "logind-sleep-test";
char* argv[] = {arg0, nullptr};

const QString kLogind = QStringLiteral("org.freedesktop.login1");

QDBusMessage prepareForSleep(bool start)
{
    auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                             QStringLiteral("PrepareForSleep"));
    signal << start;
    return signal;
}

// Sends the signal and waits for an answer from the bus that comes after it: by then the
// bus has passed the signal on, so whatever anyone sends next arrives after it.
void sendThrough(QDBusConnection& bus, bool start)
{
    ASSERT_TRUE(bus.send(prepareForSleep(start)));
    ASSERT_TRUE(bus.interface()->isServiceRegistered(kLogind).isValid());
}

TEST(LogindSleepMonitorTest, PrepareForSleepBecomesWillSleepAndDidWakeOnMain)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);

    QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
    ASSERT_TRUE(logind.isConnected());
    ASSERT_TRUE(logind.registerService(kLogind)) << "another test owns the name; these tests must not run at once";

    LogindSleepMonitor monitor{QDBusConnection::SessionBus};
    ASSERT_TRUE(monitor.subscribed());
    std::vector<std::string> seen;
    bool allOnMain = true;
    const auto mainThread = std::this_thread::get_id();
    auto sleepConnection = monitor.willSleep.connect([&] {
        seen.push_back("sleep");
        allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
    });
    auto wakeConnection = monitor.didWake.connect([&] {
        seen.push_back("wake");
        allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
    });
    const auto waitFor = [&](size_t count) {
        QElapsedTimer timer;
        timer.start();
        while (seen.size() < count && timer.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };

    // Someone else saying the same words is not logind.
    QDBusConnection impostor = QDBusConnection::sessionBus();
    sendThrough(impostor, true);

    // Sleeps and wakes from the moment the program starts: the first before its event loop
    // first runs, the rest just as it does. A connection that holds back what arrives until
    // the loop runs can let those overtake the first. To have them arrive at that moment,
    // Qt's D-Bus thread (where a connection's bus interface lives) is held twice for a
    // moment while the rest are sent and the loop starts.
    const auto holdBusThread = [&](int ms) {
        QMetaObject::invokeMethod(
            logind.interface(), [ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
            Qt::QueuedConnection);
    };
    constexpr int count = 20;
    logind.send(prepareForSleep(true));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    holdBusThread(30);
    for (int i = 1; i < count; ++i)
        logind.send(prepareForSleep(i % 2 == 0));
    holdBusThread(100);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    waitFor(count);
    std::vector<std::string> expected;
    for (int i = 0; i < count / 2; ++i)
        expected.insert(expected.end(), {"sleep", "wake"});
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(allOnMain);

    // logind restarted: the new owner is heard, the old one no longer.
    logind.unregisterService(kLogind);
    QDBusConnection restarted = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("restarted"));
    ASSERT_TRUE(restarted.registerService(kLogind));
    sendThrough(logind, true);
    sendThrough(restarted, true);
    sendThrough(restarted, false);
    seen.clear();
    waitFor(2);
    EXPECT_EQ(seen, (std::vector<std::string>{"sleep", "wake"}));

    restarted.unregisterService(kLogind);
    QDBusConnection::disconnectFromBus(QStringLiteral("restarted"));
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
}

TEST(LogindSleepMonitorTest, WithoutABusNothingIsSubscribed)
{
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = address ? address : "";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/plovane-test-system-bus", 1);
    {
        QCoreApplication app(argc, argv);
        LogindSleepMonitor monitor{QDBusConnection::SystemBus};
        EXPECT_FALSE(monitor.subscribed());
    }
    if (address)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
} // namespace plovane
