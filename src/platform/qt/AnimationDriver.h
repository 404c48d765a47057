#pragma once

#include "platform/qt/Animation.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace plovane {

class AnimatedValue;

// Drives every live AnimatedValue of one view from a single timer. The timer runs only
// while at least one value is moving, at the highest frame rate any of them asks for;
// with nothing moving the driver costs no wakeups at all.
class AnimationDriver : public QObject {
    Q_OBJECT
public:
    using TimeSource = std::function<double()>;

    explicit AnimationDriver(QObject* parent = nullptr);
    ~AnimationDriver() override;

    // Seconds on a monotonic clock (or the test's own clock).
    double now() const { return timeSource_(); }
    void setTimeSource(TimeSource source);

    bool isRunning() const { return timer_.isActive(); }
    // While suspended (the view is hidden) no frames run; values keep following the
    // clock, so on resuming everything is where it would have been.
    void setSuspended(bool suspended);
    std::size_t liveCount() const { return live_.size(); }

    // One frame: each live value reports, finished ones drop out, and the timer stops
    // when none is left. The timer calls it; tests call it after moving their clock.
    void tick();

private:
    friend class AnimatedValue;
    void attach(AnimatedValue* value);
    void detach(AnimatedValue* value);
    void retime();

    TimeSource timeSource_;
    QTimer timer_;
    std::vector<AnimatedValue*> live_;
    bool suspended_{false};
};

// A number that moves to new targets along an Animation. Its owner reads value() when it
// paints; `onFrame` runs on every frame while it moves, so the owner can repaint the
// part of the view that depends on it.
class AnimatedValue {
public:
    AnimatedValue(AnimationDriver& driver, double initial, std::function<void()> onFrame = {});
    ~AnimatedValue();
    AnimatedValue(const AnimatedValue&) = delete;
    AnimatedValue& operator=(const AnimatedValue&) = delete;

    double value() const;
    double target() const { return to_; }
    bool isAnimating() const;

    // Jumps to `value` without animation (and stops any animation in progress).
    void set(double value);
    // Starts moving from wherever it is now to `target`. A target equal to the current
    // one leaves a running animation alone.
    void animateTo(double target, const Animation& animation);
    // Moves only when the target differs; with no animation given it jumps.
    void setTarget(double target, const Animation* animation);

    void setOnFrame(std::function<void()> onFrame) { onFrame_ = std::move(onFrame); }

private:
    friend class AnimationDriver;
    double valueAt(double now) const;
    void frame() const
    {
        if (onFrame_)
            onFrame_();
    }

    AnimationDriver& driver_;
    std::function<void()> onFrame_;
    double from_{0};
    double to_{0};
    double start_{0};
    Animation animation_{Animation::linear(0)};
    bool moving_{false};
};

} // namespace plovane
