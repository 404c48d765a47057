#include "platform/qt/QtScheduler.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace plovane {

// Tasks waiting for a beat, by the beat's time on the monotonic clock (ns), which is the
// clock Qt's timers run on.
struct QtScheduler::Beats {
    std::map<std::int64_t, std::vector<Task>> due;

    static std::int64_t now()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

QtScheduler::QtScheduler(QObject* context) : context_(context), beats_(std::make_shared<Beats>()) {}

QtScheduler::~QtScheduler() = default;

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

TaskHandle QtScheduler::postOnBeat(double periodSeconds, double minDelaySeconds, Task task)
{
    const auto period = static_cast<std::int64_t>(std::llround(periodSeconds * 1e9));
    if (period <= 0)
        return postAfter(minDelaySeconds, std::move(task));
    auto [handle, guarded] = makeGuarded(std::move(task));
    auto queue = [weak = std::weak_ptr<Beats>(beats_), ctx = context_, period, minDelaySeconds,
                  fn = std::move(guarded)]() mutable {
        auto beats = weak.lock();
        if (!beats)
            return;
        const std::int64_t now = Beats::now();
        const std::int64_t earliest = now + std::max<std::int64_t>(0, std::llround(minDelaySeconds * 1e9));
        std::int64_t due = earliest / period * period;
        if (due < earliest || (due == earliest && minDelaySeconds <= 0))
            due += period;
        auto& tasks = beats->due[due];
        tasks.push_back(std::move(fn));
        if (tasks.size() > 1)
            return; // that beat's timer is already set
        // Rounded up: a timer never fires before its beat, so everything due on it is due then.
        const int ms = static_cast<int>((due - now + 999'999) / 1'000'000);
        QTimer::singleShot(ms, Qt::PreciseTimer, ctx, [weak, due] {
            auto beats = weak.lock();
            if (!beats)
                return;
            auto node = beats->due.extract(due);
            if (node.empty())
                return;
            for (auto& run : node.mapped())
                run();
        });
    };
    if (QThread::currentThread() == context_->thread())
        queue();
    else
        QMetaObject::invokeMethod(context_, std::move(queue), Qt::QueuedConnection);
    return handle;
}

} // namespace plovane
