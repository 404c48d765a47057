#pragma once

namespace plovane {

// What the last input was, as far as the desktop tells.
enum class LastInput {
    keys,
    pointer, // a button, the wheel or the pointer's motion
    unknown, // input of a kind the desktop does not tell (a compositor's idle notification)
    notSeen, // none since the program began to ask, which the reading counts from
};

// How long the user has left keyboard, mouse and wheel alone.
class InputIdleSource {
public:
    virtual ~InputIdleSource() = default;
    // Seconds since the last key press, pointer motion, button press or scroll; 999 when
    // the desktop cannot tell (no display, no idle extension).
    virtual double secondsSinceLastInput() = 0;
    // For the debug trace: unlike the idle time, this may ask the desktop each time.
    virtual LastInput lastInput() { return LastInput::unknown; }
};

} // namespace plovane
