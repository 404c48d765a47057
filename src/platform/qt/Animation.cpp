#include "platform/qt/Animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plovane {

namespace {

// The standard cubic Bézier timing curve through (0,0), (x1,y1), (x2,y2), (1,1): solve
// x(s) = t for s by Newton's method (bisection as a fallback), return y(s).
double cubicBezier(double x1, double y1, double x2, double y2, double t)
{
    auto coord = [](double a, double b, double s) {
        const double u = 1.0 - s;
        return 3.0 * u * u * s * a + 3.0 * u * s * s * b + s * s * s;
    };
    auto slope = [](double a, double b, double s) {
        const double u = 1.0 - s;
        return 3.0 * u * u * a + 6.0 * u * s * (b - a) + 3.0 * s * s * (1.0 - b);
    };
    double s = t;
    for (int i = 0; i < 8; ++i) {
        const double err = coord(x1, x2, s) - t;
        if (std::abs(err) < 1e-7)
            return coord(y1, y2, s);
        const double d = slope(x1, x2, s);
        if (std::abs(d) < 1e-6)
            break;
        s = std::clamp(s - err / d, 0.0, 1.0);
    }
    double lo = 0.0;
    double hi = 1.0;
    s = t;
    for (int i = 0; i < 40; ++i) {
        if (coord(x1, x2, s) < t)
            lo = s;
        else
            hi = s;
        s = 0.5 * (lo + hi);
    }
    return coord(y1, y2, s);
}

} // namespace

Animation Animation::linear(double duration) { return {Curve::linear, std::max(0.0, duration)}; }
Animation Animation::easeInOut(double duration) { return {Curve::easeInOut, std::max(0.0, duration)}; }
Animation Animation::easeOut(double duration) { return {Curve::easeOut, std::max(0.0, duration)}; }

Animation Animation::spring(double response, double dampingFraction)
{
    Animation a{Curve::spring, 0.0};
    a.omega_ = 2.0 * std::numbers::pi / std::max(0.01, response);
    a.damping_ = std::max(0.01, dampingFraction);
    // The envelope e^(-ζω t) (times 1 + ωt when critically damped) falls below 1/1000.
    const double decay = std::min(a.damping_, 1.0) * a.omega_;
    a.duration_ = (std::log(1000.0) + (a.damping_ >= 1.0 ? 2.5 : 0.0)) / decay;
    return a;
}

Animation Animation::repeatForever() const
{
    Animation a = *this;
    a.repeat_ = Repeat::foreverAutoReverse;
    return a;
}

Animation Animation::atFrameRate(double framesPerSecond) const
{
    Animation a = *this;
    if (framesPerSecond > 0)
        a.frameInterval_ = 1.0 / framesPerSecond;
    return a;
}

double Animation::onePass(double t) const
{
    if (t <= 0.0)
        return 0.0;
    if (curve_ != Curve::spring && t >= duration_)
        return 1.0;
    switch (curve_) {
    case Curve::linear:
        return t / duration_;
    case Curve::easeInOut:
        return cubicBezier(0.42, 0.0, 0.58, 1.0, t / duration_);
    case Curve::easeOut:
        return cubicBezier(0.0, 0.0, 0.58, 1.0, t / duration_);
    case Curve::spring: {
        if (t >= duration_)
            return 1.0;
        const double w = omega_;
        const double z = damping_;
        if (z < 1.0) {
            const double wd = w * std::sqrt(1.0 - z * z);
            return 1.0 - std::exp(-z * w * t) * (std::cos(wd * t) + (z * w / wd) * std::sin(wd * t));
        }
        return 1.0 - std::exp(-w * t) * (1.0 + w * t);
    }
    }
    return 1.0;
}

double Animation::fraction(double t) const
{
    if (repeat_ == Repeat::once)
        return onePass(t);
    if (duration_ <= 0.0 || t <= 0.0)
        return 0.0;
    const double passes = t / duration_;
    const double whole = std::floor(passes);
    const double within = (passes - whole) * duration_;
    const bool backwards = static_cast<long long>(whole) % 2 == 1;
    return backwards ? 1.0 - onePass(within) : onePass(within);
}

bool Animation::isFinished(double t) const
{
    return repeat_ == Repeat::once && t >= duration_;
}

} // namespace plovane
