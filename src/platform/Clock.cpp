#include "platform/Clock.h"

namespace plovane {

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

} // namespace plovane
