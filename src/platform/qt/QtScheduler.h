#pragma once

#include "platform/Scheduler.h"

#include <QObject>

#include <memory>

namespace plovane {

// Runs scheduled tasks on the Qt main thread's event loop. post() is safe from any thread.
class QtScheduler final : public Scheduler {
public:
    // `context` must live on the main thread; tasks do not run after it is destroyed.
    explicit QtScheduler(QObject* context);
    ~QtScheduler() override;

    TaskHandle post(Task task) override;
    TaskHandle postAfter(double delaySeconds, Task task) override;
    // Beats are whole multiples of the period on the monotonic clock. Every task due on
    // one beat, from any QtScheduler of the process, runs from one timer, in the order
    // they were posted.
    TaskHandle postOnBeat(double periodSeconds, double minDelaySeconds, Task task) override;

private:
    struct Beats;
    QObject* context_;
};

} // namespace plovane
