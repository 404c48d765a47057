#include "platform/linux/IdleTransitionClock.h"

#include <algorithm>

namespace plovane {

void IdleTransitionClock::idled(Time at)
{
    paused_ = true;
    since_ = at - kThreshold;
}

void IdleTransitionClock::resumed(Time at)
{
    paused_ = false;
    since_ = at;
}

void IdleTransitionClock::idleFor(std::chrono::milliseconds idle, Time at)
{
    idle = std::max(idle, std::chrono::milliseconds{0});
    paused_ = idle >= kThreshold;
    since_ = at - idle;
}

double IdleTransitionClock::secondsSinceLastInput(Time now) const
{
    const double elapsed = std::max(0.0, std::chrono::duration<double>(now - since_).count());
    const double bound = std::chrono::duration<double>(kThreshold).count();
    return paused_ ? elapsed : std::min(elapsed, bound);
}

} // namespace plovane
