#include "sensing/GlobalInputMonitor.h"

#include "platform/InputIdleSource.h"

namespace plovane {

InputSnapshot GlobalInputMonitor::snapshot(TimePoint /*now*/, double /*burstWindow*/)
{
    const double idle = source_.secondsSinceLastInput();
    return InputSnapshot{idle, idle < kActiveTypingThresholdSeconds};
}

std::string GlobalInputMonitor::lastInputLabel()
{
    switch (source_.lastInput()) {
    case LastInput::keys:
        return "keys";
    case LastInput::pointer:
        return "pointer";
    case LastInput::unknown:
        return "input of a kind the desktop does not tell";
    case LastInput::notSeen:
        return "no input seen since the start, counted from then";
    }
    return {};
}

} // namespace plovane
