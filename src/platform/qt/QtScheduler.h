#pragma once

#include "platform/Scheduler.h"

#include <QObject>

namespace plovane {

// Runs scheduled tasks on the Qt main thread's event loop. post() is safe from any thread.
class QtScheduler final : public Scheduler {
public:
    // `context` must live on the main thread; tasks do not run after it is destroyed.
    explicit QtScheduler(QObject* context);

    TaskHandle post(Task task) override;
    TaskHandle postAfter(double delaySeconds, Task task) override;

private:
    QObject* context_;
};

} // namespace plovane
