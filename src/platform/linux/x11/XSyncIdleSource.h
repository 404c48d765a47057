#pragma once

#include "platform/InputIdleSource.h"
#include "platform/Signal.h"
#include "platform/linux/IdleTransitionClock.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace plovane {

class XcbConnection;

// Input idle time from the X server's SYNC extension: an alarm on the IDLETIME system
// counter reports when the user stops for a moment and when input comes back, so while
// nothing changes a call sends nothing to the server. The moment of the last input is
// asked for once per pause; from then on the idle time is counted here (below the
// alarm's bound, as IdleTransitionClock tells).
class XSyncIdleSource final : public InputIdleSource {
public:
    static constexpr std::int64_t kIdleAlarmMilliseconds = IdleTransitionClock::kThreshold.count();
    static constexpr double kIdleAlarmSeconds = kIdleAlarmMilliseconds / 1000.0;

    // Null when the server lacks SYNC or its IDLETIME counter, or refuses the alarm.
    static std::shared_ptr<XSyncIdleSource> open(std::shared_ptr<XcbConnection> connection);
    ~XSyncIdleSource() override;
    XSyncIdleSource(const XSyncIdleSource&) = delete;
    XSyncIdleSource& operator=(const XSyncIdleSource&) = delete;

    double secondsSinceLastInput() override;
    // From the idle times of the core keyboard and pointer, which the server keeps apart.
    LastInput lastInput() override;
    // Requests that waited for the server's answer so far (for tests and benchmarks).
    unsigned long long roundTrips() const { return roundTrips_; }

private:
    explicit XSyncIdleSource(std::shared_ptr<XcbConnection> connection);
    // Asks for the counter; nullopt without an answer.
    std::optional<std::int64_t> queryIdleMilliseconds();

    std::shared_ptr<XcbConnection> connection_;
    std::uint32_t counter_{0};
    // Zero when the server keeps no idle time per device.
    std::uint32_t keyboardCounter_{0};
    std::uint32_t pointerCounter_{0};
    std::uint32_t alarm_{0};
    std::uint8_t alarmEvent_{0};
    std::uint8_t majorOpcode_{0};
    // Set from the counter each time it is asked for.
    IdleTransitionClock clock_{std::chrono::steady_clock::now()};
    // The alarm went off and was not acted on yet.
    bool alarmPending_{false};
    // The alarm was refused after all: every call asks the server, as without SYNC.
    bool askEveryCall_{false};
    unsigned long long roundTrips_{0};
    Connection alarmEvents_;
    Connection errorEvents_;
};

} // namespace plovane
