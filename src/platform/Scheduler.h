#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace plovane {

// Shared between a scheduled task and its handle.
struct TaskState {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
};

// Refers to one scheduled task. Copies refer to the same task. Dropping a handle does
// not cancel the task; cancel() does, and is harmless once the task has run.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<TaskState> state) : state_(std::move(state)) {}

    void cancel()
    {
        if (state_)
            state_->cancelled = true;
    }
    // True while the task is scheduled and neither cancelled nor run.
    bool isPending() const { return state_ && !state_->cancelled && !state_->finished; }
    bool isCancelled() const { return state_ && state_->cancelled; }

private:
    std::shared_ptr<TaskState> state_;
};

// Runs functions on the main thread. post() may be called from any thread; the function
// always runs later on the main thread, never inside the call.
class Scheduler {
public:
    using Task = std::function<void()>;
    virtual ~Scheduler() = default;

    // Runs `task` on the main thread as soon as it is free.
    virtual TaskHandle post(Task task) = 0;
    // Runs `task` on the main thread after `delaySeconds` (negative counts as zero).
    virtual TaskHandle postAfter(double delaySeconds, Task task) = 0;

protected:
    // Wraps a task so that it runs only when not cancelled, and marks it finished.
    static std::pair<TaskHandle, Task> makeGuarded(Task task);
};

} // namespace plovane
