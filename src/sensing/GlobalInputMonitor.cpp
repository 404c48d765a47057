#include "sensing/GlobalInputMonitor.h"

#include "platform/InputIdleSource.h"

namespace plovane {

InputSnapshot GlobalInputMonitor::snapshot(TimePoint /*now*/, double /*burstWindow*/)
{
    const double idle = source_.secondsSinceLastInput();
    return InputSnapshot{idle, idle < kActiveTypingThresholdSeconds};
}

} // namespace plovane
