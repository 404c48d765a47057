#pragma once

#include "hud/CrossFade.h"
#include "platform/qt/AnimationDriver.h"
#include "settings/DiveState.h"

#include <QColor>
#include <QImage>
#include <QRectF>

#include <functional>

class QPainter;

namespace plovane {

// The column at the pet's top-left corner: the empty battery, blinking while critical,
// above the small O2 bar. Positions are relative to the sprite square's top-left.
class HealthColumn {
public:
    // `onFrame(true)` when the column's place or presence moves, `onFrame(false)` when only
    // the bar's fill does.
    HealthColumn(AnimationDriver& driver, std::function<void(bool reshaped)> onFrame);

    // Takes the gauge's state, gliding where the step can be seen; `animated` false jumps.
    void show(DiveState state, double o2, bool animated);

    QRectF batteryRect() const;
    QRectF barRect() const;
    bool batteryShown() const { return battery_.value() > 0.001; }
    bool barShown() const { return barVisible_.value() > 0.001; }

    // `blink` is the critical blink's brightness, 0.25 … 1 (1 when not critical).
    void paint(QPainter& painter, QPointF spriteTopLeft, bool critical, double blink) const;

private:
    AnimatedValue fillWidth_;
    CrossFade<QColor> fillColor_;
    AnimatedValue barVisible_;
    AnimatedValue battery_;
    // A still bar is one small image; a gliding or blinking one is drawn afresh.
    struct BarKey {
        double width{-1};
        QRgb colour{0};
        double opacity{-1};
        qreal dpr{0};
        bool operator==(const BarKey&) const = default;
    };
    mutable QImage barImage_;
    mutable BarKey barKey_;
};

} // namespace plovane
