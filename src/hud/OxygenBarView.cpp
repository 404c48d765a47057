#include "hud/OxygenBarView.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plovane {

namespace {

constexpr double kCaseMargin = 12.0; // room for the case's shadow
constexpr double kVerticalInset = 16.0;
constexpr double kHorizontalInset = 14.0;
constexpr double kLabelSpacing = 12.0;
constexpr double kAmplitude = 2.5;
constexpr int kInitialBubbles = 8;
// After a long pause, bubbles do not catch up on every missed tick at once.
constexpr long long kMostTicksPerFrame = 10;

QFont labelFont()
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(10);
    f.setBold(true);
    return f;
}

QString labelText() { return QString::fromUtf8("◎ O2"); }

QPainterPath capsule(const QRectF& r)
{
    QPainterPath path;
    const double radius = std::min(r.width(), r.height()) / 2;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QColor withAlpha(QColor c, double a)
{
    c.setAlphaF(static_cast<float>(std::clamp(a, 0.0, 1.0)));
    return c;
}

double uniform(std::mt19937& random, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }

} // namespace

QPainterPath WaveShape::path(const QRectF& rect) const
{
    const double w = rect.width();
    const double h = rect.height();
    QPainterPath path;
    if (fillHeight < 5) {
        path.addRect(QRectF(rect.left(), rect.top() + h - fillHeight, w, fillHeight));
        return path;
    }
    const double b = h - fillHeight;
    path.moveTo(rect.left(), rect.top() + b);
    for (double x = 0; x <= w; x += 1.0)
        path.lineTo(rect.left() + x, rect.top() + b + kAmplitude * std::sin(2 * std::numbers::pi * x / w + phase));
    path.lineTo(rect.left() + w, rect.top() + h);
    path.lineTo(rect.left(), rect.top() + h);
    path.closeSubpath();
    return path;
}

Bubble OxygenBarView::randomBubble(std::mt19937& random)
{
    Bubble b;
    b.x = uniform(random, 0.2, 0.8);
    b.y = uniform(random, 0.0, 200.0);
    b.scale = uniform(random, 0.5, 1.5);
    b.speed = uniform(random, 1.0, 3.0);
    b.opacity = uniform(random, 0.2, 0.6);
    return b;
}

void OxygenBarView::updateBubbles(std::vector<Bubble>& bubbles, double height, double clampedValue,
                                  std::mt19937& random)
{
    const double fillHeight = height * clampedValue / 100.0;
    for (Bubble& b : bubbles) {
        b.y += b.speed;
        b.x += std::sin(b.y * 0.05) * 0.01;
        if (b.y > fillHeight) {
            b.y = 0;
            b.x = uniform(random, 0.2, 0.8);
            b.speed = uniform(random, 1.0, 3.0);
        }
    }
}

OxygenBarView::OxygenBarView(double value, QWidget* parent)
    : QWidget(parent),
      value_(value),
      driver_(this),
      level_(driver_, oxygen::clamped(value), [this] { update(); }),
      waveClock_(driver_, 0.0, [this] { onFrame(); }),
      pulse_(driver_, 0.2, [this] { update(); })
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
}

void OxygenBarView::setValue(double value)
{
    const double before = clampedValue();
    value_ = value;
    const double now = clampedValue();
    if (now == before)
        return;
    level_.animateTo(now, Animation::easeInOut(0.35));
    if (oxygen::isCritical(now) && !pulsing_ && isVisible()) {
        pulsing_ = true;
        pulse_.set(0.2);
        pulse_.animateTo(0.8, Animation::easeInOut(0.6).repeatForever().atFrameRate(30));
    } else if (!oxygen::isCritical(now)) {
        pulsing_ = false;
        pulse_.set(0.2);
    }
    update();
}

double OxygenBarView::phase() const
{
    // 0 → 2π every two seconds, without a jump: the sine repeats every 2π.
    if (!waveClock_.isAnimating())
        return 0.0;
    const double t = driver_.now() - waveStart_;
    return 2 * std::numbers::pi * std::fmod(t, kWavePeriod) / kWavePeriod;
}

void OxygenBarView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    driver_.setSuspended(false);
    waveStart_ = driver_.now();
    bubbleStart_ = waveStart_;
    ticksDone_ = 0;
    // The wave's clock: it keeps frames coming at the bubbles' 20 a second while shown.
    waveClock_.set(0.0);
    waveClock_.animateTo(1.0, Animation::linear(kWavePeriod).repeatForever().atFrameRate(1.0 / kTickSeconds));
    if (bubbles_.empty())
        for (int i = 0; i < kInitialBubbles; ++i)
            bubbles_.push_back(randomBubble(random_));
    if (criticalOverlayShown()) {
        pulsing_ = true;
        pulse_.set(0.2);
        pulse_.animateTo(0.8, Animation::easeInOut(0.6).repeatForever().atFrameRate(30));
    }
}

void OxygenBarView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Nothing moves off screen: the wave, the bubbles and the pulse all stop.
    waveClock_.set(0.0);
    pulse_.set(0.2);
    pulsing_ = false;
    driver_.setSuspended(true);
}

void OxygenBarView::onFrame()
{
    const long long due = static_cast<long long>(std::floor((driver_.now() - bubbleStart_) / kTickSeconds));
    const long long run = std::min(due - ticksDone_, kMostTicksPerFrame);
    for (long long i = 0; i < run; ++i)
        updateBubbles(bubbles_, tubeRect().height(), clampedValue(), random_);
    ticksDone_ = due;
    update();
}

QRectF OxygenBarView::caseRect() const
{
    const double labelW = QFontMetricsF(labelFont()).horizontalAdvance(labelText());
    const double w = std::max(labelW, kTubeWidth) + 2 * kHorizontalInset;
    return {(width() - w) / 2, kCaseMargin - 4, w, std::max(0.0, height() - 2 * kCaseMargin)};
}

QRectF OxygenBarView::tubeRect() const
{
    const QRectF c = caseRect();
    const double labelH = std::ceil(QFontMetricsF(labelFont()).height());
    const double top = c.top() + kVerticalInset + labelH + kLabelSpacing;
    return {c.center().x() - kTubeWidth / 2, top, kTubeWidth, std::max(0.0, c.bottom() - kVerticalInset - top)};
}

double OxygenBarView::presentedFillHeight() const { return tubeRect().height() * level_.value() / 100.0; }

void OxygenBarView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF c = caseRect();
    const QPainterPath casePath = capsule(c);

    // The case: a soft shadow, dark glass over a frosted layer, a faint rim.
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 14));
        p.drawPath(capsule(c.translated(0, 4).adjusted(-i * 2, -i * 2, i * 2, i * 2)));
    }
    p.setBrush(QColor(28, 28, 32, 96));
    p.drawPath(casePath);
    p.setBrush(QColor(0, 0, 0, 102));
    p.drawPath(casePath);
    p.setPen(QPen(QColor(255, 255, 255, 38), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(capsule(c.adjusted(0.5, 0.5, -0.5, -0.5)));

    // The label glows green.
    const QFont font = labelFont();
    const double labelH = std::ceil(QFontMetricsF(font).height());
    const QRectF labelRect(c.left(), c.top() + kVerticalInset, c.width(), labelH);
    p.setFont(font);
    for (const QPointF& d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
        p.setPen(withAlpha(oxygen::standardGreen(), 0.35));
        p.drawText(labelRect.translated(d), Qt::AlignCenter, labelText());
    }
    p.setPen(Qt::white);
    p.drawText(labelRect, Qt::AlignCenter, labelText());

    const QRectF tube = tubeRect();
    if (tube.height() <= 0)
        return;
    // Glass.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 64));
    p.drawPath(capsule(tube.adjusted(-1, -1, 1, 1)));
    p.setBrush(QColor(0, 0, 0, 153));
    p.drawPath(capsule(tube));
    p.setPen(QPen(QColor(255, 255, 255, 26), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(capsule(tube.adjusted(0.5, 0.5, -0.5, -0.5)));

    // Liquid and bubbles show only under the wave and inside the liquid's rounded tube;
    // the wave mask is 10 points taller than the liquid, with its baseline at its level.
    const double fillHeight = presentedFillHeight();
    const QRectF maskRect(tube.left(), tube.bottom() - (fillHeight + 10), tube.width(), fillHeight + 10);
    const QPainterPath wave = WaveShape{phase(), fillHeight}.path(maskRect).intersected(capsule(tube));
    p.save();
    p.setClipPath(wave);
    QLinearGradient g(tube.topLeft(), tube.bottomLeft());
    g.setColorAt(0.0, oxygen::standardGreen());
    g.setColorAt(0.5, oxygen::standardYellow());
    g.setColorAt(1.0, oxygen::standardRed());
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(capsule(tube));
    for (const Bubble& b : bubbles_) {
        const double d = 4 * b.scale;
        const QPointF centre(tube.left() + b.x * tube.width(), tube.bottom() - b.y);
        p.setBrush(withAlpha(Qt::white, b.opacity));
        p.drawEllipse(QRectF(centre.x() - d / 2, centre.y() - d / 2, d, d));
    }
    p.restore();

    if (criticalOverlayShown() && fillHeight > 0) {
        // The red tint ends in a capsule at the liquid level, not at the wave.
        p.save();
        p.setClipPath(capsule(QRectF(tube.left(), tube.bottom() - fillHeight, tube.width(), fillHeight)));
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(oxygen::standardRed(), pulse_.value()));
        p.drawPath(capsule(tube));
        p.restore();
    }
}

} // namespace plovane
