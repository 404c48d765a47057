#pragma once

#include "platform/InputIdleSource.h"
#include "platform/Signal.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace plovane {

class XcbConnection;

// Input idle time from the X server's SYNC extension: an alarm on the IDLETIME system
// counter reports when the user stops for a moment and when input comes back, so while
// nothing changes a call sends nothing to the server. The moment of the last input is
// asked for once per pause; from then on the idle time is counted here.
//
// Below kIdleAlarmSeconds the exact figure is not known (the user is at the keyboard);
// calls report the time since input was seen to return, never more than that bound.
class XSyncIdleSource final : public InputIdleSource {
public:
    // Under every idle threshold the sensors compare against (the shortest, 1.5 s,
    // separates typing from a pause), so any figure below it leads to the same decisions.
    static constexpr std::int64_t kIdleAlarmMilliseconds = 1000;
    static constexpr double kIdleAlarmSeconds = kIdleAlarmMilliseconds / 1000.0;

    // Null when the server lacks SYNC or its IDLETIME counter, or refuses the alarm.
    static std::shared_ptr<XSyncIdleSource> open(std::shared_ptr<XcbConnection> connection);
    ~XSyncIdleSource() override;
    XSyncIdleSource(const XSyncIdleSource&) = delete;
    XSyncIdleSource& operator=(const XSyncIdleSource&) = delete;

    double secondsSinceLastInput() override;
    // Requests that waited for the server's answer so far (for tests and benchmarks).
    unsigned long long roundTrips() const { return roundTrips_; }

private:
    using SteadyTime = std::chrono::steady_clock::time_point;
    enum class Phase { active, paused };

    explicit XSyncIdleSource(std::shared_ptr<XcbConnection> connection);
    // Asks for the counter; nullopt without an answer.
    std::optional<std::int64_t> queryIdleMilliseconds();
    // Takes the idle time just asked for as the truth and arms the alarm for the next
    // change: the end of input when the user is active, its return when paused.
    void calibrate(std::int64_t idleMilliseconds, SteadyTime askedAt);

    std::shared_ptr<XcbConnection> connection_;
    std::uint32_t counter_{0};
    std::uint32_t alarm_{0};
    std::uint8_t alarmEvent_{0};
    std::uint8_t majorOpcode_{0};
    Phase phase_{Phase::active};
    // Active: when input was last seen to return. Paused: the moment of the last input.
    SteadyTime since_{};
    // The alarm went off and was not acted on yet.
    bool alarmPending_{false};
    // The alarm was refused after all: every call asks the server, as without SYNC.
    bool askEveryCall_{false};
    unsigned long long roundTrips_{0};
    Connection alarmEvents_;
    Connection errorEvents_;
};

} // namespace plovane
