#pragma once

#include "platform/Signal.h"

namespace plovane {

// System sleep and wake, delivered on the main thread. A desktop without the service
// simply never emits.
class SleepWakeNotifier {
public:
    virtual ~SleepWakeNotifier() = default;
    Signal<> willSleep;
    Signal<> didWake;
};

} // namespace plovane
