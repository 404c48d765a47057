#include "hud/SpriteHealthBar.h"

#include "hud/HUDRules.h"
#include "hud/HUDStyle.h"

#include <QPainter>

namespace plovane::hud {

void paintSpriteHealthBar(QPainter& p, QPointF topLeft, const SpriteHealthBarLook& look)
{
    constexpr double radius = 3.0;
    const QRectF track(topLeft, QSizeF(kBarWidth, kBarHeight));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);

    p.setBrush(color(Hue::black, 0.5));
    p.drawRoundedRect(track, radius, radius);

    const double base = p.opacity();
    p.setOpacity(base * look.fillOpacity);
    p.setBrush(look.fillColor);
    p.drawRoundedRect(QRectF(topLeft, QSizeF(look.fillWidth, kBarHeight)), radius, radius);
    p.setOpacity(base);

    p.setBrush(color(Hue::white, 0.45));
    for (double f : kTickFractions)
        p.drawRect(QRectF(topLeft.x() + kBarWidth * f, topLeft.y() + 1.0, 1.0, kBarHeight - 2.0));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color(Hue::white, 0.25), 0.5));
    p.drawRoundedRect(track, radius, radius);
    p.restore();
}

} // namespace plovane::hud
