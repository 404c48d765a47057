#include "testing/VirtualScheduler.h"

#include <algorithm>
#include <chrono>

namespace plovane {

TaskHandle VirtualScheduler::post(Task task)
{
    return postAfter(0, std::move(task));
}

TaskHandle VirtualScheduler::postAfter(double delaySeconds, Task task)
{
    return queueAt(addSeconds(clock_.now(), delaySeconds > 0 ? delaySeconds : 0), std::move(task));
}

TaskHandle VirtualScheduler::postOnBeat(double periodSeconds, double minDelaySeconds, Task task)
{
    const auto period = std::chrono::duration_cast<TimePoint::duration>(std::chrono::duration<double>(periodSeconds));
    if (period.count() <= 0)
        return postAfter(minDelaySeconds, std::move(task));
    const TimePoint earliest = addSeconds(clock_.now(), std::max(0.0, minDelaySeconds));
    // The first beat strictly after `earliest`, or on it when a delay was asked for.
    auto beats = earliest.time_since_epoch() / period;
    TimePoint due{period * beats};
    if (due < earliest || (due == earliest && minDelaySeconds <= 0))
        due += period;
    return queueAt(due, std::move(task));
}

TaskHandle VirtualScheduler::queueAt(TimePoint due, Task task)
{
    auto [handle, guarded] = makeGuarded(std::move(task));
    std::lock_guard lock(mutex_);
    tasks_.emplace(std::make_pair(due, sequence_++), std::make_pair(handle, std::move(guarded)));
    return handle;
}

bool VirtualScheduler::popDue(TimePoint limit, Task& out, TaskHandle& handle)
{
    std::lock_guard lock(mutex_);
    if (tasks_.empty())
        return false;
    auto first = tasks_.begin();
    if (first->first.first > limit)
        return false;
    if (first->first.first > clock_.now())
        clock_.set(first->first.first);
    handle = first->second.first;
    out = std::move(first->second.second);
    tasks_.erase(first);
    return true;
}

int VirtualScheduler::runPending()
{
    int ran = 0;
    Task task;
    TaskHandle handle;
    while (popDue(clock_.now(), task, handle)) {
        if (handle.isCancelled())
            continue;
        task();
        ++ran;
    }
    return ran;
}

int VirtualScheduler::advance(double seconds)
{
    const TimePoint target = addSeconds(clock_.now(), seconds);
    int ran = 0;
    Task task;
    TaskHandle handle;
    while (popDue(target, task, handle)) {
        if (handle.isCancelled())
            continue;
        task();
        ++ran;
    }
    if (clock_.now() < target)
        clock_.set(target);
    return ran;
}

std::size_t VirtualScheduler::queued() const
{
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

} // namespace plovane
