#pragma once

namespace plovane {

// How a value travels from where it is to a new target: a timing curve (linear,
// ease-in-out, ease-out, or a spring given by response and damping fraction), optionally
// repeated for ever, reversing on each pass.
class Animation {
public:
    enum class Repeat { once, foreverAutoReverse };

    static Animation linear(double duration);
    static Animation easeInOut(double duration);
    static Animation easeOut(double duration);
    // A damped oscillator: `response` is the period of the undamped spring in seconds,
    // `dampingFraction` 1 is critically damped, below 1 overshoots.
    static Animation spring(double response, double dampingFraction);

    Animation repeatForever() const;
    // Asks for fewer frames: decorative loops need not run at the display rate.
    Animation atFrameRate(double framesPerSecond) const;

    // Fraction of the way from start to target, `t` seconds after the start. 0 at t = 0;
    // exactly 1 once finished; a spring may pass 1 on its way. Repeating animations
    // run 0 → 1 → 0 … for ever.
    double fraction(double t) const;
    bool isFinished(double t) const;
    // Seconds one pass takes (a spring: until it rests within a thousandth of its target).
    double passDuration() const { return duration_; }
    Repeat repeat() const { return repeat_; }
    double frameInterval() const { return frameInterval_; }

private:
    enum class Curve { linear, easeInOut, easeOut, spring };
    Animation(Curve curve, double duration) : curve_{curve}, duration_{duration} {}
    double onePass(double t) const;

    Curve curve_{Curve::linear};
    double duration_{0};
    double omega_{0};   // spring: undamped angular frequency
    double damping_{1}; // spring: damping fraction
    Repeat repeat_{Repeat::once};
    double frameInterval_{1.0 / 60.0};
};

} // namespace plovane
