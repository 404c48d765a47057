#pragma once

namespace plovane {

// Below this many seconds without input the user counts as actively typing.
inline constexpr double kActiveTypingThresholdSeconds = 1.5;

// The user's input activity at one moment.
struct InputSnapshot {
    double noInputSeconds{0};
    bool isActivelyTyping{false};
};

} // namespace plovane
