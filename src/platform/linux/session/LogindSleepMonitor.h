#pragma once

#include "platform/SleepWakeNotifier.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

namespace plovane {

// System sleep and wake from logind's PrepareForSleep signal on the system bus. The
// signal arrives through the event loop of the thread that created the monitor (the
// main thread), and willSleep/didWake are emitted there.
class LogindSleepMonitor final : public QObject, public SleepWakeNotifier {
    Q_OBJECT
public:
    // Subscribes on `bus` (the system bus in the program; tests pass a private one).
    // False from subscribed() when the bus is not connected.
    explicit LogindSleepMonitor(QDBusConnection bus);
    ~LogindSleepMonitor() override;

    bool subscribed() const { return subscribed_; }

    // The monitor for the system bus, or one that never emits (with one log line) when
    // there is no system bus.
    static std::unique_ptr<SleepWakeNotifier> forSystemBus();

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    QDBusConnection bus_;
    bool subscribed_{false};
};

// A desktop without a sleep service: never emits.
class NullSleepWakeNotifier final : public SleepWakeNotifier {};

} // namespace plovane
