// Sleep and wake from PrepareForSleep, sent by a stand-in for logind that owns its name
// on a private bus connection.
#include "platform/linux/session/LogindSleepMonitor.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "logind-sleep-test";
char* argv[] = {arg0, nullptr};

TEST(LogindSleepMonitorTest, PrepareForSleepBecomesWillSleepAndDidWakeOnMain)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);

    // The stand-in: a second connection that owns logind's name.
    QDBusConnection fake = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-logind"));
    ASSERT_TRUE(fake.isConnected());
    ASSERT_TRUE(fake.registerService(QStringLiteral("org.freedesktop.login1")))
        << "another test owns the name; these tests must not run at the same time";

    LogindSleepMonitor monitor{QDBusConnection::sessionBus()};
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

    for (bool start : {true, false}) {
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                 QStringLiteral("org.freedesktop.login1.Manager"),
                                                 QStringLiteral("PrepareForSleep"));
        signal << start;
        ASSERT_TRUE(fake.send(signal));
    }
    // Someone else saying the same words is not logind.
    auto impostor = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                               QStringLiteral("org.freedesktop.login1.Manager"),
                                               QStringLiteral("PrepareForSleep"));
    impostor << true;
    QDBusConnection::sessionBus().send(impostor);

    QElapsedTimer timer;
    timer.start();
    while (seen.size() < 2 && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // Let a stray third delivery show up if there is one.
    const auto settle = timer.elapsed() + 200;
    while (timer.elapsed() < settle)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    EXPECT_EQ(seen, (std::vector<std::string>{"sleep", "wake"}));
    EXPECT_TRUE(allOnMain);
    fake.unregisterService(QStringLiteral("org.freedesktop.login1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
}

TEST(LogindSleepMonitorTest, WithoutABusNothingIsSubscribed)
{
    QCoreApplication app(argc, argv);
    LogindSleepMonitor monitor{QDBusConnection(QStringLiteral("not-connected"))};
    EXPECT_FALSE(monitor.subscribed());
}

} // namespace
} // namespace plovane
