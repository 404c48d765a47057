#pragma once

#include "platform/Clock.h"

namespace plovane {

// A clock that only moves when told to; it may be set backwards.
class FakeClock final : public Clock {
public:
    explicit FakeClock(TimePoint start = defaultStart()) : now_(start) {}

    TimePoint now() const override { return now_; }
    void set(TimePoint t) { now_ = t; }
    void advance(double seconds) { now_ = addSeconds(now_, seconds); }

    // 2026-03-02 09:00:00 UTC, a Monday morning.
    static TimePoint defaultStart() { return TimePoint{std::chrono::seconds{1772442000}}; }

private:
    TimePoint now_;
};

} // namespace plovane
