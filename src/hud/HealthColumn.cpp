#include "hud/HealthColumn.h"

#include "hud/HUDRules.h"
#include "hud/HUDStyle.h"
#include "hud/SpriteHealthBar.h"
#include "platform/qt/SymbolImage.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plovane {

namespace {
constexpr double kLeading = 20.0;
constexpr double kSpacing = 3.0;
constexpr double kBatteryWidth = 22.0;
constexpr double kBatteryFont = 11.0;
} // namespace

HealthColumn::HealthColumn(AnimationDriver& driver, std::function<void(bool reshaped)> onFrame)
    : fillWidth_(driver, hud::kBarWidth, [onFrame] { onFrame(false); }),
      fillColor_(driver, QColor(), Animation::easeInOut(0.6), [onFrame] { onFrame(false); }),
      barVisible_(driver, 1.0, [onFrame] { onFrame(true); }),
      battery_(driver, 0.0, [onFrame] { onFrame(true); })
{
}

void HealthColumn::show(DiveState state, double o2, bool animated)
{
    const double width = hud::healthBarFillWidth(o2);
    const QColor colour = hud::color(hud::healthBarFill(state, o2));
    const double bar = hud::showSpriteHealthBar(state, o2) ? 1.0 : 0.0;
    const double battery = state == DiveState::critical ? 1.0 : 0.0;
    if (!animated) {
        fillWidth_.set(width);
        fillColor_.set(colour, false);
        barVisible_.set(bar);
        battery_.set(battery);
        return;
    }
    // The gauge moves a tenth at a time while draining: a twentieth of a point, which no
    // one can see glide. Only steps of a point or more are animated.
    if (std::abs(width - fillWidth_.target()) >= 1.0 || fillWidth_.isAnimating())
        fillWidth_.animateTo(width, Animation::easeInOut(0.6));
    else
        fillWidth_.set(width);
    fillColor_.set(colour);
    barVisible_.animateTo(bar, Animation::easeInOut(0.5));
    battery_.animateTo(battery, Animation::easeInOut(0.3));
}

QRectF HealthColumn::batteryRect() const
{
    // Measured once: the column is laid out on every frame of the bar's glide.
    static const double h = std::ceil(QFontMetricsF(hud::systemFont(kBatteryFont, QFont::Bold)).height());
    return {kLeading, 0.0, kBatteryWidth, h};
}

QRectF HealthColumn::barRect() const
{
    const double presence = std::clamp(battery_.value(), 0.0, 1.0);
    // Off the critical state the column sits one point lower.
    const double top = (1.0 - presence) * 1.0 + presence * (batteryRect().height() + kSpacing);
    return {kLeading, top, hud::kBarWidth, hud::kBarHeight};
}

void HealthColumn::paint(QPainter& p, QPointF spriteTopLeft, bool critical, double blink) const
{
    const double base = p.opacity();
    const double battery = std::clamp(battery_.value(), 0.0, 1.0);
    if (battery > 0.001) {
        p.setOpacity(base * battery * blink);
        SymbolImage::paint(p, QStringLiteral("battery.0percent"), batteryRect().translated(spriteTopLeft),
                           hud::color(hud::Hue::red));
        p.setOpacity(base);
    }

    const double visible = std::clamp(barVisible_.value(), 0.0, 1.0);
    if (visible <= 0.001)
        return;
    p.setOpacity(base * visible);
    const QColor fill = hud::mix(fillColor_.previous().isValid() ? fillColor_.previous() : fillColor_.current(),
                                 fillColor_.current(), fillColor_.progress());
    const hud::SpriteHealthBarLook look{fillWidth_.value(), fill, critical ? blink : 1.0};
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const BarKey key{look.fillWidth, fill.rgba(), look.fillOpacity, dpr};
    if (!(key == barKey_)) {
        barImage_ = hud::makeLayer(QSizeF(hud::kBarWidth + 2, hud::kBarHeight + 2), dpr);
        QPainter bp(&barImage_);
        hud::paintSpriteHealthBar(bp, QPointF(1, 1), look);
        bp.end();
        barKey_ = key;
    }
    p.drawImage(barRect().translated(spriteTopLeft).topLeft() - QPointF(1, 1), barImage_);
    p.setOpacity(base);
}

} // namespace plovane
