#pragma once

#include "platform/Signal.h"

namespace plovane {

// Tells when a window manager takes over the screen: one replacing the running one (a
// switch, a restart), or one starting after the last went away (a crash). It sets up the
// windows it finds from what they say of themselves, which the one before may have
// rewritten, so windows with wishes of their own say them again. Announced on the main
// thread.
class WindowManagerWatch {
public:
    virtual ~WindowManagerWatch() = default;
    // A new window manager owns the screen and the one before it has gone.
    Signal<> tookOver;
};

// A desktop without window managers to follow: nothing is ever announced.
class NullWindowManagerWatch final : public WindowManagerWatch {};

} // namespace plovane
