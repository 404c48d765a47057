#include "platform/qt/QtScheduler.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace plovane {

QtScheduler::QtScheduler(QObject* context) : context_(context) {}

TaskHandle QtScheduler::post(Task task)
{
    auto [handle, guarded] = makeGuarded(std::move(task));
    QMetaObject::invokeMethod(context_, std::move(guarded), Qt::QueuedConnection);
    return handle;
}

TaskHandle QtScheduler::postAfter(double delaySeconds, Task task)
{
    if (!(delaySeconds > 0))
        return post(std::move(task));
    auto [handle, guarded] = makeGuarded(std::move(task));
    // A precise timer: the engine's one-second loop should not drift by the coarse
    // timer's 5 % slack.
    const int ms = static_cast<int>(std::lround(delaySeconds * 1000.0));
    if (QThread::currentThread() == context_->thread()) {
        // Already on the main thread (the engine loop re-arms itself from there): arm the
        // timer directly rather than waking the event loop once more to do it.
        QTimer::singleShot(ms, Qt::PreciseTimer, context_, std::move(guarded));
    } else {
        QMetaObject::invokeMethod(
            context_,
            [ctx = context_, ms, fn = std::move(guarded)]() mutable {
                QTimer::singleShot(ms, Qt::PreciseTimer, ctx, std::move(fn));
            },
            Qt::QueuedConnection);
    }
    return handle;
}

} // namespace plovane
