#pragma once

#include "platform/qt/AnimationDriver.h"

#include <functional>
#include <optional>
#include <utility>

namespace plovane {

// A value shown with a cross-fade whenever it changes: the old one fades out while the
// new one fades in. `progress` runs 0 → 1 over the fade.
template <typename T>
class CrossFade {
public:
    CrossFade(AnimationDriver& driver, T initial, Animation animation, std::function<void()> onFrame)
        : current_(std::move(initial)), progress_(driver, 1.0, std::move(onFrame)), animation_(animation)
    {
    }

    // Returns whether the value changed.
    bool set(const T& value, bool animated = true)
    {
        if (value == current_)
            return false;
        previous_ = std::move(current_);
        current_ = value;
        if (animated) {
            progress_.set(0.0);
            progress_.animateTo(1.0, animation_);
        } else {
            progress_.set(1.0);
        }
        return true;
    }

    const T& current() const { return current_; }
    const T& previous() const { return previous_; }
    double progress() const { return progress_.value(); }
    bool isFading() const { return progress_.isAnimating(); }

    // Calls `draw(value, opacity)` for the fading-out value (while fading) and the current
    // one; `at` draws the fade at that point instead of where it is.
    template <typename Draw>
    void paint(Draw&& draw, std::optional<double> at = std::nullopt) const
    {
        const double t = at.value_or(progress());
        if (t < 1.0)
            draw(previous_, 1.0 - t);
        draw(current_, t);
    }

private:
    T current_;
    T previous_{};
    AnimatedValue progress_;
    Animation animation_;
};

} // namespace plovane
