#pragma once

namespace plovane {

// How long the user has left keyboard, mouse and wheel alone.
class InputIdleSource {
public:
    virtual ~InputIdleSource() = default;
    // Seconds since the last key press, pointer motion, button press or scroll; 999 when
    // the desktop cannot tell (no display, no idle extension).
    virtual double secondsSinceLastInput() = 0;
};

} // namespace plovane
