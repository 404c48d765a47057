#pragma once

#include <chrono>

namespace plovane {

// Wall-clock time. Elapsed time in the core is computed from wall-clock dates, so a
// clock that jumps (sleep, the user setting the date back) is visible to callers.
using TimePoint = std::chrono::system_clock::time_point;
using Seconds = std::chrono::duration<double>;

class Clock {
public:
    virtual ~Clock() = default;
    // The current wall-clock time. Never fails.
    virtual TimePoint now() const = 0;
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::system_clock::now(); }
    // The process-wide system clock.
    static SystemClock& instance();
};

// Seconds between two wall-clock times (negative when `to` lies before `from`).
inline double secondsBetween(TimePoint from, TimePoint to)
{
    return std::chrono::duration_cast<Seconds>(to - from).count();
}

inline TimePoint addSeconds(TimePoint t, double seconds)
{
    return t + std::chrono::duration_cast<TimePoint::duration>(Seconds(seconds));
}

} // namespace plovane
