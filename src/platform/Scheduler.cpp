#include "platform/Scheduler.h"

#include <utility>

namespace plovane {

std::pair<TaskHandle, Scheduler::Task> Scheduler::makeGuarded(Task task)
{
    auto state = std::make_shared<TaskState>();
    Task guarded = [state, task = std::move(task)]() {
        if (state->cancelled || state->finished)
            return;
        state->finished = true;
        task();
    };
    return {TaskHandle(state), std::move(guarded)};
}

struct ScopedTask::Repeat {
    Scheduler& scheduler;
    double interval;
    Scheduler::Task task;
    TaskHandle next;
    bool cancelled = false;
};

ScopedTask::ScopedTask(ScopedTask&& other) noexcept
    : handle_(std::exchange(other.handle_, {})), repeat_(std::exchange(other.repeat_, nullptr))
{
}

ScopedTask& ScopedTask::operator=(ScopedTask&& other) noexcept
{
    if (this != &other) {
        cancel();
        handle_ = std::exchange(other.handle_, {});
        repeat_ = std::exchange(other.repeat_, nullptr);
    }
    return *this;
}

ScopedTask ScopedTask::repeating(Scheduler& scheduler, double intervalSeconds, Scheduler::Task task,
                                 double firstDelaySeconds)
{
    ScopedTask owner;
    owner.repeat_ = std::make_shared<Repeat>(Repeat{scheduler, intervalSeconds, std::move(task), {}, false});
    arm(owner.repeat_, firstDelaySeconds < 0 ? intervalSeconds : firstDelaySeconds);
    return owner;
}

void ScopedTask::arm(const std::shared_ptr<Repeat>& repeat, double delaySeconds)
{
    // The queued run holds the state weakly: once the owner is gone, nothing is left to run.
    std::weak_ptr<Repeat> weak = repeat;
    repeat->next = repeat->scheduler.postAfter(delaySeconds, [weak] {
        auto self = weak.lock(); // keeps the state alive while the run may drop its owner
        if (!self || self->cancelled)
            return;
        self->task();
        if (!self->cancelled)
            arm(self, self->interval);
    });
}

void ScopedTask::cancel()
{
    handle_.cancel();
    handle_ = {};
    if (auto repeat = std::exchange(repeat_, nullptr)) {
        repeat->cancelled = true;
        repeat->next.cancel();
    }
}

bool ScopedTask::isPending() const
{
    if (repeat_)
        return !repeat_->cancelled;
    return handle_.isPending();
}

} // namespace plovane
