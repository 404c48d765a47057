#pragma once

#include <QColor>
#include <QPointF>

class QPainter;

namespace plovane::hud {

// The pet's small 48 × 6 O2 bar: dark track, coloured fill growing from the left,
// quarter ticks drawn over the fill, thin light outline.
struct SpriteHealthBarLook {
    double fillWidth;   // 3 … 48
    QColor fillColor;   // healthBarFill, already at its own opacity
    double fillOpacity; // 1, or the critical blink between 0.25 and 1
};

void paintSpriteHealthBar(QPainter& painter, QPointF topLeft, const SpriteHealthBarLook& look);

} // namespace plovane::hud
