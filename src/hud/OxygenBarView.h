#pragma once

#include "hud/HorizontalOxygenBarView.h"
#include "platform/qt/AnimationDriver.h"

#include <QPainterPath>
#include <QUuid>
#include <QWidget>

#include <random>
#include <vector>

namespace plovane {

// One bubble rising through the liquid.
struct Bubble {
    QUuid id{QUuid::createUuid()};
    double x{0.5};     // centre, as a fraction of the tube's width
    double y{0};       // centre, in points above the tube's bottom
    double scale{1};   // a circle 4 × scale points across
    double speed{1};   // rise per tick, in points
    double opacity{0.4};
};

// The liquid's outline: a sine surface (one period across the width, 2.5 points high)
// at `fillHeight` above the bottom of the rectangle, flat below 5 points of liquid.
struct WaveShape {
    double phase{0};
    double fillHeight{0};
    QPainterPath path(const QRectF& rect) const;
};

// A vertical oxygen gauge in a small glass case: the label "◎ O2" over a 20-point tube
// whose liquid (green at the top of the tube to red at its bottom) fills to the level,
// with a travelling wave on its surface, rising bubbles and a red pulse while the level is
// critical. It takes the height it is given; the caller sets the level.
class OxygenBarView final : public QWidget {
    Q_OBJECT
public:
    explicit OxygenBarView(double value = 100.0, QWidget* parent = nullptr);

    static constexpr double kTubeWidth = 20.0;
    static constexpr double kTickSeconds = 0.05;
    static constexpr double kWavePeriod = 2.0;

    // Eases to the new level over 0.35 s. Not validated: drawn clamped.
    void setValue(double value);
    double value() const { return value_; }
    double clampedValue() const { return oxygen::clamped(value_); }

    // One tick of the bubbles in a tube `height` points high filled to `clampedValue`:
    // each rises by its speed and sways; one above the liquid starts again at the bottom.
    static void updateBubbles(std::vector<Bubble>& bubbles, double height, double clampedValue, std::mt19937& random);
    static Bubble randomBubble(std::mt19937& random);

    // State and presentation, for tests.
    const std::vector<Bubble>& bubbles() const { return bubbles_; }
    double phase() const;
    double pulseOpacity() const { return pulse_.value(); }
    bool criticalOverlayShown() const { return oxygen::isCritical(clampedValue()); }
    QRectF tubeRect() const;
    double presentedFillHeight() const;
    AnimationDriver& animationDriver() { return driver_; }
    void seedRandom(unsigned seed) { random_.seed(seed); }

    QSize sizeHint() const override { return {72, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onFrame();
    QRectF caseRect() const;

    double value_;
    AnimationDriver driver_;
    AnimatedValue level_;
    AnimatedValue waveClock_;
    AnimatedValue pulse_;
    bool pulsing_{false};
    double waveStart_{0};
    double bubbleStart_{0};
    long long ticksDone_{0};
    std::vector<Bubble> bubbles_;
    std::mt19937 random_{std::random_device{}()};
};

} // namespace plovane
