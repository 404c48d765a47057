#include "platform/Scheduler.h"

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

} // namespace plovane
