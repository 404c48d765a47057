#pragma once

#include "platform/qt/AnimationDriver.h"

#include <QColor>
#include <QWidget>

namespace plovane {

// Colours and thresholds shared by the two stand-alone oxygen gauges.
namespace oxygen {
// The level limited to 0...100.
double clamped(double value);
// Red below 20, yellow from 20 up to 45, green from 45.
QColor fillColor(double clampedValue);
// Below 20 the gauge pulses red.
bool isCritical(double clampedValue);
QColor standardRed();
QColor standardYellow();
QColor standardGreen();
} // namespace oxygen

// A horizontal capsule gauge for an oxygen level in percent: a dark track, a fill from the
// leading edge in the level's colour that eases to each new level, and a red pulse while
// the level is critical. It fills whatever size it is given; the caller sets the level.
class HorizontalOxygenBarView final : public QWidget {
    Q_OBJECT
public:
    explicit HorizontalOxygenBarView(double value = 100.0, QWidget* parent = nullptr);

    // Eases to the new level over 0.35 s. Not validated: drawn clamped.
    void setValue(double value);
    double value() const { return value_; }
    double clampedValue() const { return oxygen::clamped(value_); }
    QColor fillColor() const { return oxygen::fillColor(clampedValue()); }

    // Presentation, for tests: the fill's width as drawn now, and the red overlay.
    double presentedFillWidth() const;
    bool criticalOverlayShown() const { return oxygen::isCritical(clampedValue()); }
    double pulseOpacity() const { return pulse_.value(); }
    AnimationDriver& animationDriver() { return driver_; }

    QSize sizeHint() const override { return {200, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startPulseIfCritical();

    double value_;
    AnimationDriver driver_;
    AnimatedValue level_;
    AnimatedValue colorMix_;
    QColor fromColor_;
    QColor toColor_;
    AnimatedValue pulse_;
    bool pulsing_{false};
};

} // namespace plovane
