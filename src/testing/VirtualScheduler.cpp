#include "testing/VirtualScheduler.h"

namespace plovane {

TaskHandle VirtualScheduler::post(Task task)
{
    return postAfter(0, std::move(task));
}

TaskHandle VirtualScheduler::postAfter(double delaySeconds, Task task)
{
    auto [handle, guarded] = makeGuarded(std::move(task));
    std::lock_guard lock(mutex_);
    TimePoint due = addSeconds(clock_.now(), delaySeconds > 0 ? delaySeconds : 0);
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
