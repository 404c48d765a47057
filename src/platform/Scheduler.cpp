#include "platform/Scheduler.h"

#include <algorithm>
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

TaskHandle Scheduler::postOnBeat(double periodSeconds, double minDelaySeconds, Task task)
{
    return postAfter(std::max(periodSeconds, minDelaySeconds), std::move(task));
}

struct ScopedTask::Repeat {
    Scheduler& scheduler;
    double interval;
    bool beats;
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
    return start(scheduler, intervalSeconds, false, std::move(task),
                 firstDelaySeconds < 0 ? intervalSeconds : firstDelaySeconds);
}

ScopedTask ScopedTask::onBeat(Scheduler& scheduler, double periodSeconds, Scheduler::Task task,
                              double firstDelaySeconds)
{
    return start(scheduler, periodSeconds, true, std::move(task), firstDelaySeconds);
}

ScopedTask ScopedTask::start(Scheduler& scheduler, double interval, bool beats, Scheduler::Task task,
                             double firstDelaySeconds)
{
    ScopedTask owner;
    owner.repeat_ = std::make_shared<Repeat>(Repeat{scheduler, interval, beats, std::move(task), {}, false});
    arm(owner.repeat_, firstDelaySeconds);
    return owner;
}

void ScopedTask::arm(const std::shared_ptr<Repeat>& repeat, std::optional<double> firstDelaySeconds)
{
    // The queued run holds the state weakly: once the owner is gone, nothing is left to run.
    std::weak_ptr<Repeat> weak = repeat;
    auto run = [weak] {
        auto self = weak.lock(); // keeps the state alive while the run may drop its owner
        if (!self || self->cancelled)
            return;
        self->task();
        if (!self->cancelled)
            arm(self, std::nullopt);
    };
    Scheduler& scheduler = repeat->scheduler;
    const double period = repeat->interval;
    if (!repeat->beats)
        repeat->next = scheduler.postAfter(firstDelaySeconds.value_or(period), std::move(run));
    else if (!firstDelaySeconds) // the next beat after this run's
        repeat->next = scheduler.postOnBeat(period, 0.0, std::move(run));
    else if (*firstDelaySeconds == 0.0)
        repeat->next = scheduler.post(std::move(run));
    else
        repeat->next = scheduler.postOnBeat(period, *firstDelaySeconds < 0 ? period / 2 : *firstDelaySeconds,
                                            std::move(run));
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
