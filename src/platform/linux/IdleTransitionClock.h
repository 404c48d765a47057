#pragma once

#include <chrono>

namespace plovane {

// Input idle time from a desktop that tells when the user has left the input alone for a
// set time (kThreshold) and when input comes back, rather than how long ago the last
// input was: the X server's alarms, a Wayland compositor's idle notifications, mutter's
// idle watches. Past the threshold the figure is exact (the last input came kThreshold
// before the desktop said so). Below it the user is at it and the exact figure is not
// known: readings are the time since input was seen to return, never more than kThreshold.
class IdleTransitionClock {
public:
    using Time = std::chrono::steady_clock::time_point;

    // Under every idle threshold the sensors compare against (the shortest, 1.5 s,
    // separates typing from a pause), so any figure below it leads to the same decisions.
    static constexpr std::chrono::milliseconds kThreshold{1000};

    // Counts as active from `start` until told otherwise.
    explicit IdleTransitionClock(Time start) : since_(start) {}

    // The desktop said the input has been left alone for kThreshold.
    void idled(Time at);
    // The desktop said input came back.
    void resumed(Time at);
    // The desktop said, when asked at `at`, how long the input had been left alone.
    void idleFor(std::chrono::milliseconds idle, Time at);

    bool paused() const { return paused_; }
    double secondsSinceLastInput(Time now) const;

private:
    bool paused_{false};
    // Active: when input was last seen to return. Paused: the moment of the last input.
    Time since_;
};

} // namespace plovane
