#pragma once

#include "platform/SleepWakeNotifier.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

namespace plovane {

// System sleep and wake from logind's PrepareForSleep signal, taken only from the owner
// of logind's name. The signal arrives through the event loop of the thread that created
// the monitor (the main thread), and willSleep/didWake are emitted there, in the order
// logind sent them.
//
// The monitor listens on a bus connection of its own. Qt holds back what arrives on the
// shared default connections until the event loop first runs, and a message arriving as
// it lets them go can overtake the held ones: a sleep sent as the program starts would
// then come after the wake that follows it, and the program would believe the machine
// asleep.
class LogindSleepMonitor final : public QObject, public SleepWakeNotifier {
    Q_OBJECT
public:
    // Subscribes on `bus` (the system bus in the program; tests pass the session bus).
    // False from subscribed() when the bus cannot be reached.
    explicit LogindSleepMonitor(QDBusConnection::BusType bus);
    ~LogindSleepMonitor() override;

    bool subscribed() const { return subscribed_; }

    // The monitor for the system bus, or one that never emits (with one log line) when
    // there is no system bus.
    static std::unique_ptr<SleepWakeNotifier> forSystemBus();

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    QString connectionName_;
    QDBusConnection bus_;
    bool subscribed_{false};
};

// A desktop without a sleep service: never emits.
class NullSleepWakeNotifier final : public SleepWakeNotifier {};

} // namespace plovane
