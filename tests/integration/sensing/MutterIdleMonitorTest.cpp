// Input idle time from mutter's idle monitor, against a stand-in that owns its name on
// the session bus and behaves as mutter does: an idle watch added while the session is
// already idle fires at once, a user-active watch fires once on the next input and is
// dropped.
#include "platform/linux/wayland/MutterIdleMonitorSource.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace plovane {
namespace {

int argc = 1;
char arg0[] = "mutter-idle-test";
char* argv[] = {arg0, nullptr};

const QString kName = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");

class StandInIdleMonitor final : public QDBusVirtualObject {
public:
    explicit StandInIdleMonitor(QDBusConnection connection) : connection_(std::move(connection)) {}

    qulonglong idleMs{0};
    // The next user-active watch fires (the user types) before the answer naming it leaves.
    bool inputRacesNextActiveWatch{false};

    // A key: every user-active watch fires once and is gone.
    void userInput()
    {
        idleMs = 0;
        for (uint id : std::exchange(activeWatches_, {}))
            fire(id);
    }
    void idleWatchFires()
    {
        idleMs = 1000;
        fire(idleWatch_);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        const QString member = message.member();
        if (member == QLatin1String("GetIdletime")) {
            connection_.send(message.createReply(QVariant::fromValue(idleMs)));
        } else if (member == QLatin1String("AddIdleWatch")) {
            idleWatch_ = ++lastId_;
            connection_.send(message.createReply(QVariant::fromValue(idleWatch_)));
            if (idleMs >= message.arguments().value(0).toULongLong())
                fire(idleWatch_);
        } else if (member == QLatin1String("AddUserActiveWatch")) {
            const uint id = ++lastId_;
            if (std::exchange(inputRacesNextActiveWatch, false)) {
                idleMs = 0;
                fire(id);
            } else {
                activeWatches_.insert(id);
            }
            connection_.send(message.createReply(QVariant::fromValue(id)));
        } else if (member == QLatin1String("RemoveWatch")) {
            activeWatches_.erase(message.arguments().value(0).toUInt());
            connection_.send(message.createReply());
        } else {
            return false;
        }
        return true;
    }

private:
    void fire(uint id)
    {
        auto signal = QDBusMessage::createSignal(kPath, kName, QStringLiteral("WatchFired"));
        signal << id;
        connection_.send(signal);
    }

    QDBusConnection connection_;
    uint lastId_{0};
    uint idleWatch_{0};
    std::set<uint> activeWatches_;
};

void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The stand-in answers on a thread of its own, since the source asks it with blocking
// calls at the start; the test changes it through this.
template <typename Change>
void onStandIn(StandInIdleMonitor& monitor, Change change)
{
    QMetaObject::invokeMethod(&monitor, change, Qt::BlockingQueuedConnection);
}

TEST(MutterIdleMonitorTest, StartsFromTheSessionsIdleTimeAndSeesEveryReturn)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    QCoreApplication app(argc, argv);
    QDBusConnection fake = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-mutter"));
    ASSERT_TRUE(fake.isConnected());
    ASSERT_TRUE(fake.registerService(kName)) << "another test owns the name; these tests must not run at the same time";
    QThread standInThread;
    standInThread.start();
    StandInIdleMonitor monitor{fake};
    monitor.moveToThread(&standInThread);
    ASSERT_TRUE(fake.registerVirtualObject(kPath, &monitor));

    // Started after the user has been away for 98 s: the watch that fires at once does
    // not turn that into one second.
    onStandIn(monitor, [&] { monitor.idleMs = 98'000; });
    auto source = MutterIdleMonitorSource::connectToSession(QDBusConnection::sessionBus());
    ASSERT_TRUE(source);
    spin(300);
    EXPECT_GE(source->secondsSinceLastInput(), 98.0);

    onStandIn(monitor, [&] { monitor.userInput(); });
    spin(200);
    EXPECT_LT(source->secondsSinceLastInput(), 1.0);

    // Typing about once a second: each pause past the threshold, then a key that may beat
    // the answer naming the watch meant to see it. Every key must still be seen.
    for (int round = 0; round < 3; ++round) {
        onStandIn(monitor, [&] {
            monitor.inputRacesNextActiveWatch = round % 2 == 0;
            monitor.idleWatchFires();
        });
        spin(200);
        if (round % 2 == 1) {
            EXPECT_GE(source->secondsSinceLastInput(), 1.0) << "round " << round;
            onStandIn(monitor, [&] { monitor.userInput(); });
            spin(200);
        }
        EXPECT_LT(source->secondsSinceLastInput(), 1.0) << "round " << round;
    }
    source.reset();
    fake.unregisterObject(kPath);
    fake.unregisterService(kName);
    standInThread.quit();
    standInThread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-mutter"));
}

} // namespace
} // namespace plovane
