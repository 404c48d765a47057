#include "hud/HorizontalOxygenBarView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plovane {

namespace oxygen {

double clamped(double value)
{
    if (std::isnan(value))
        return 0.0;
    return std::min(std::max(value, 0.0), 100.0);
}

QColor standardRed() { return {255, 69, 58}; }
QColor standardYellow() { return {255, 214, 10}; }
QColor standardGreen() { return {48, 209, 88}; }

QColor fillColor(double c)
{
    if (c < 20)
        return standardRed();
    if (c < 45)
        return standardYellow();
    return standardGreen();
}

bool isCritical(double c) { return c < 20; }

} // namespace oxygen

namespace {

constexpr double kLevelEase = 0.35;
constexpr double kPulseHalfPeriod = 0.6;
constexpr double kPulseLow = 0.2;
constexpr double kPulseHigh = 0.8;

QColor blend(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QPainterPath capsule(const QRectF& r)
{
    QPainterPath path;
    const double radius = std::min(r.width(), r.height()) / 2;
    path.addRoundedRect(r, radius, radius);
    return path;
}

} // namespace

HorizontalOxygenBarView::HorizontalOxygenBarView(double value, QWidget* parent)
    : QWidget(parent),
      value_(value),
      driver_(this),
      level_(driver_, oxygen::clamped(value), [this] { update(); }),
      colorMix_(driver_, 1.0, [this] { update(); }),
      fromColor_(oxygen::fillColor(oxygen::clamped(value))),
      toColor_(fromColor_),
      pulse_(driver_, kPulseLow, [this] { update(); })
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
}

void HorizontalOxygenBarView::setValue(double value)
{
    const double before = clampedValue();
    value_ = value;
    const double now = clampedValue();
    if (now == before)
        return;
    // Width, colour and glow all ease to the new level together.
    level_.animateTo(now, Animation::easeInOut(kLevelEase));
    const QColor target = oxygen::fillColor(now);
    if (target != toColor_) {
        fromColor_ = blend(fromColor_, toColor_, colorMix_.value());
        toColor_ = target;
        colorMix_.set(0.0);
        colorMix_.animateTo(1.0, Animation::easeInOut(kLevelEase));
    }
    if (oxygen::isCritical(now) != oxygen::isCritical(before)) {
        if (oxygen::isCritical(now))
            startPulseIfCritical();
        else {
            pulsing_ = false;
            pulse_.set(kPulseLow);
        }
    }
    update();
}

void HorizontalOxygenBarView::startPulseIfCritical()
{
    // Each time the overlay comes on screen it swings 0.2 → 0.8 → 0.2, 0.6 s each way.
    if (!criticalOverlayShown() || pulsing_)
        return;
    pulsing_ = true;
    pulse_.set(kPulseLow);
    pulse_.animateTo(kPulseHigh, Animation::easeInOut(kPulseHalfPeriod).repeatForever().atFrameRate(30));
}

double HorizontalOxygenBarView::presentedFillWidth() const { return std::max(0.0, width() * level_.value() / 100.0); }

void HorizontalOxygenBarView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    driver_.setSuspended(false);
    startPulseIfCritical();
}

void HorizontalOxygenBarView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Off screen the overlay is gone, and with it its pulse.
    driver_.setSuspended(true);
    pulsing_ = false;
    pulse_.set(kPulseLow);
}

void HorizontalOxygenBarView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF full(rect());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 102));
    p.drawPath(capsule(full));

    // The fill and the overlay show only inside a capsule as wide as the fill, at the
    // leading edge; the glow of the full-size fill stays inside that mask too.
    const double w = presentedFillWidth();
    if (w <= 0)
        return;
    p.setClipPath(capsule(QRectF(0, 0, w, full.height())));
    p.setBrush(blend(fromColor_, toColor_, colorMix_.value()));
    p.drawRect(full);
    if (criticalOverlayShown()) {
        QColor red = oxygen::standardRed();
        red.setAlphaF(static_cast<float>(std::clamp(pulse_.value(), 0.0, 1.0)));
        p.setBrush(red);
        p.drawRect(full);
    }
}

} // namespace plovane
