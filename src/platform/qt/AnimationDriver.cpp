#include "platform/qt/AnimationDriver.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace plovane {

namespace {
double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

AnimationDriver::AnimationDriver(QObject* parent) : QObject(parent), timeSource_(steadySeconds)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &AnimationDriver::tick);
}

AnimationDriver::~AnimationDriver() = default;

void AnimationDriver::setTimeSource(TimeSource source)
{
    timeSource_ = source ? std::move(source) : TimeSource(steadySeconds);
}

void AnimationDriver::attach(AnimatedValue* value)
{
    if (std::find(live_.begin(), live_.end(), value) == live_.end())
        live_.push_back(value);
    retime();
}

void AnimationDriver::detach(AnimatedValue* value)
{
    std::erase(live_, value);
    retime();
}

void AnimationDriver::setSuspended(bool suspended)
{
    suspended_ = suspended;
    retime();
}

void AnimationDriver::retime()
{
    if (live_.empty() || suspended_) {
        timer_.stop();
        return;
    }
    double interval = 1.0;
    for (const AnimatedValue* v : live_)
        interval = std::min(interval, v->animation_.frameInterval());
    const int ms = std::max(1, static_cast<int>(std::lround(interval * 1000.0)));
    if (!timer_.isActive() || timer_.interval() != ms)
        timer_.start(ms);
}

void AnimationDriver::tick()
{
    const double t = now();
    // Copy: a frame callback may start or stop other animations.
    const auto snapshot = live_;
    bool changed = false;
    for (AnimatedValue* v : snapshot) {
        if (std::find(live_.begin(), live_.end(), v) == live_.end())
            continue;
        v->frame();
        if (v->moving_ && v->animation_.isFinished(t - v->start_)) {
            v->moving_ = false;
            std::erase(live_, v);
            changed = true;
        }
    }
    if (changed)
        retime();
}

AnimatedValue::AnimatedValue(AnimationDriver& driver, double initial, std::function<void()> onFrame)
    : driver_(driver), onFrame_(std::move(onFrame)), from_{initial}, to_{initial}
{
}

AnimatedValue::~AnimatedValue()
{
    if (moving_)
        driver_.detach(this);
}

double AnimatedValue::valueAt(double now) const
{
    if (!moving_)
        return to_;
    const double t = now - start_;
    if (animation_.isFinished(t))
        return to_;
    return from_ + (to_ - from_) * animation_.fraction(t);
}

double AnimatedValue::value() const { return valueAt(driver_.now()); }

bool AnimatedValue::isAnimating() const
{
    return moving_ && !animation_.isFinished(driver_.now() - start_);
}

void AnimatedValue::set(double value)
{
    const bool wasMoving = moving_;
    moving_ = false;
    from_ = to_ = value;
    if (wasMoving)
        driver_.detach(this);
}

void AnimatedValue::animateTo(double target, const Animation& animation)
{
    const double now = driver_.now();
    if (moving_ && target == to_)
        return;
    from_ = valueAt(now);
    to_ = target;
    start_ = now;
    animation_ = animation;
    if (from_ == to_ && animation.repeat() == Animation::Repeat::once) {
        set(target);
        return;
    }
    moving_ = true;
    driver_.attach(this);
}

void AnimatedValue::setTarget(double target, const Animation* animation)
{
    if (target == to_)
        return;
    if (animation)
        animateTo(target, *animation);
    else
        set(target);
}

} // namespace plovane
