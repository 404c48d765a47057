#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
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
// clock Qt's timers run on. One for the whole process: every scheduler's clocks (the
// engine's, each view's) share their wakeups. Main thread only.
struct QtScheduler::Beats {
    struct Waiting {
        QPointer<QObject> context; // the task goes with its scheduler's context
        Task run;
    };
    struct Beat {
        QPointer<QObject> timerOwner; // the beat's timer goes with it
        std::vector<Waiting> waiting;
    };
    std::map<std::int64_t, Beat> due;

    static Beats& instance()
    {
        static Beats beats;
        return beats;
    }

    static std::int64_t now()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void add(std::int64_t at, QObject* context, Task run)
    {
        Beat& beat = due[at];
        beat.waiting.push_back({context, std::move(run)});
        if (beat.timerOwner)
            return; // that beat's timer is already set
        // The application outlives every view; without one, the task's own context.
        QObject* owner = QCoreApplication::instance() ? QCoreApplication::instance() : context;
        beat.timerOwner = owner;
        // Rounded up: a timer never fires before its beat, so everything due on it is due then.
        const int ms = static_cast<int>(std::max<std::int64_t>(0, at - now() + 999'999) / 1'000'000);
        QTimer::singleShot(ms, Qt::PreciseTimer, owner, [at] { instance().fire(at); });
    }

    void fire(std::int64_t at)
    {
        auto node = due.extract(at);
        // Beats long past whose timer went with an earlier application object.
        std::erase_if(due, [at](const auto& entry) { return entry.first < at - 1'000'000'000 && !entry.second.timerOwner; });
        if (node.empty())
            return;
        for (auto& waiting : node.mapped().waiting)
            if (waiting.context)
                waiting.run();
    }
};

QtScheduler::QtScheduler(QObject* context) : context_(context) {}

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
    auto queue = [ctx = QPointer<QObject>(context_), period, minDelaySeconds, fn = std::move(guarded)]() mutable {
        if (!ctx)
            return;
        const std::int64_t earliest =
            Beats::now() + std::max<std::int64_t>(0, std::llround(minDelaySeconds * 1e9));
        std::int64_t due = earliest / period * period;
        if (due < earliest || (due == earliest && minDelaySeconds <= 0))
            due += period;
        Beats::instance().add(due, ctx, std::move(fn));
    };
    if (QThread::currentThread() == context_->thread())
        queue();
    else
        QMetaObject::invokeMethod(context_, std::move(queue), Qt::QueuedConnection);
    return handle;
}

} // namespace plovane
