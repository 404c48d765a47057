#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

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
    // Runs `task` on the main thread on the first beat of `periodSeconds` that is at least
    // `minDelaySeconds` away. Beats are the whole multiples of the period on the scheduler's
    // own clock, so clocks whose periods divide one another (the engine's second, the
    // sprite's quarter second) fall due at the same instants and share one wakeup. A
    // scheduler without a clock of its own runs it one period from now.
    virtual TaskHandle postOnBeat(double periodSeconds, double minDelaySeconds, Task task);

protected:
    // Wraps a task so that it runs only when not cancelled, and marks it finished.
    static std::pair<TaskHandle, Task> makeGuarded(Task task);
};

// Owns one scheduled task and cancels it when destroyed, reset or assigned another: the
// way to schedule work that touches its owner, since the task can never outlive it.
// Holds either a single task (adopted from post()/postAfter()) or a repeating one.
// Not thread-safe: keep each ScopedTask on one thread (the repeating form on the
// scheduler's main thread).
class ScopedTask {
public:
    ScopedTask() = default;
    // Adopts a task from post()/postAfter(); implicit so `task_ = scheduler.postAfter(...)` reads naturally.
    ScopedTask(TaskHandle handle) : handle_(std::move(handle)) {}
    ScopedTask(const ScopedTask&) = delete;
    ScopedTask& operator=(const ScopedTask&) = delete;
    ScopedTask(ScopedTask&& other) noexcept;
    ScopedTask& operator=(ScopedTask&& other) noexcept;
    ~ScopedTask() { cancel(); }

    // Runs `task` every `intervalSeconds` on `scheduler`, first after `firstDelaySeconds`
    // (the interval when negative). The interval counts from the end of each run, so a slow
    // run delays the next rather than piling them up. A run that cancels, resets or
    // reassigns its own ScopedTask is the last one.
    static ScopedTask repeating(Scheduler& scheduler, double intervalSeconds, Scheduler::Task task,
                                double firstDelaySeconds = -1);
    // Runs `task` on every beat of `periodSeconds` (see Scheduler::postOnBeat), first after
    // `firstDelaySeconds` (on the first beat at least half a period away when negative).
    // Runs keep to the beats rather than drifting by each run's own time, so periodic
    // clocks on one scheduler wake the process together. A run late by more than a period
    // skips the beats it missed instead of piling them up.
    static ScopedTask onBeat(Scheduler& scheduler, double periodSeconds, Scheduler::Task task,
                             double firstDelaySeconds = -1);

    // Cancels the task (and, for a repeating one, every later run). Harmless when empty.
    void cancel();
    // True while a single task waits to run, or while a repeating one is not cancelled.
    bool isPending() const;

private:
    struct Repeat;
    static ScopedTask start(Scheduler& scheduler, double interval, bool beats, Scheduler::Task task,
                            double firstDelaySeconds);
    // Queues the next run: after the first delay when given, else after the interval or on the next beat.
    static void arm(const std::shared_ptr<Repeat>& repeat, std::optional<double> firstDelaySeconds);

    TaskHandle handle_;
    std::shared_ptr<Repeat> repeat_;
};

} // namespace plovane
