#include "windows/Controls.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plovane {

using namespace windows;

namespace {
QColor accent(Appearance a) { return systemColor(Hue::blue, a); }
} // namespace

StepSlider::StepSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

double StepSlider::knobCentre(int v) const
{
    const double k = knobSide();
    const double span = std::max(1, maximum() - minimum());
    return k / 2 + (width() - k) * (v - minimum()) / span;
}

int StepSlider::valueAt(double x) const
{
    const double k = knobSide();
    const double f = std::clamp((x - k / 2) / std::max(1.0, width() - k), 0.0, 1.0);
    return minimum() + static_cast<int>(std::lround(f * (maximum() - minimum())));
}

void StepSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // A press anywhere on the track jumps there and starts a drag, as the platform's does.
    setSliderDown(true);
    setValue(valueAt(event->position().x()));
    event->accept();
}

void StepSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setValue(valueAt(event->position().x()));
    event->accept();
}

void StepSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (isSliderDown())
        setSliderDown(false);
    event->accept();
}

void StepSlider::paintEvent(QPaintEvent*)
{
    const Appearance a = paletteAppearance();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double knob = knobSide();
    const double cx = knobCentre(value());
    const double cy = height() / 2.0;
    const QRectF track(knob / 2 - 2, cy - 2, width() - knob + 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(a == Appearance::dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30));
    p.drawRoundedRect(track, 2, 2);
    QColor fill = accent(a);
    if (!isEnabled())
        fill.setAlphaF(0.4f);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(track.left(), track.top(), std::max(4.0, cx - track.left()), track.height()), 2, 2);
    const QRectF k(cx - knob / 2, cy - knob / 2, knob, knob);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(k.translated(0, 0.8).adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setBrush(a == Appearance::dark ? QColor(220, 220, 222) : QColor(255, 255, 255));
    p.setPen(QPen(QColor(0, 0, 0, 30), 0.5));
    p.drawEllipse(k);
    if (hasFocus()) {
        p.setPen(QPen(systemColor(Hue::blue, a, 0.5), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(k.adjusted(-1.5, -1.5, 1.5, 1.5));
    }
}

FeatureToggle::FeatureToggle(AnimationDriver& driver, QWidget* parent)
    : QAbstractButton(parent), thumb_(driver, 0.0, [this] { update(switchRect().adjusted(-2, -2, 2, 2).toAlignedRect()); })
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void FeatureToggle::setTexts(const QString& title, const QString& description)
{
    if (title == title_ && description == description_)
        return;
    title_ = title;
    description_ = description;
    setAccessibleName(title);
    setAccessibleDescription(description);
    updateGeometry();
    update();
}

void FeatureToggle::setRowOpacity(double opacity)
{
    if (opacity == rowOpacity_)
        return;
    rowOpacity_ = opacity;
    update();
}

double FeatureToggle::textWidth() const { return std::max(40.0, width() - kSwitchWidth - 12.0); }

int FeatureToggle::heightForWidth(int w) const
{
    const double tw = std::max(40.0, w - kSwitchWidth - 12.0);
    const double h = lineHeight(systemFont(13, QFont::DemiBold)) + 4.0 +
                     wrappedHeight(systemFont(11), description_, tw);
    return static_cast<int>(std::ceil(std::max(h, kSwitchHeight)));
}

QRectF FeatureToggle::switchRect() const
{
    return {width() - kSwitchWidth, (height() - kSwitchHeight) / 2.0, kSwitchWidth, kSwitchHeight};
}

bool FeatureToggle::hitButton(const QPoint& pos) const { return switchRect().adjusted(-2, -2, 2, 2).contains(pos); }

void FeatureToggle::checkStateSet()
{
    thumb_.set(isChecked() ? 1.0 : 0.0);
    update();
}

void FeatureToggle::nextCheckState()
{
    QAbstractButton::nextCheckState();
    thumb_.animateTo(isChecked() ? 1.0 : 0.0, Animation::spring(0.3, 0.8));
}

void FeatureToggle::paintEvent(QPaintEvent*)
{
    const Appearance a = paletteAppearance();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setOpacity(rowOpacity_);
    const QFont titleFont = systemFont(13, QFont::DemiBold);
    const QFont descFont = systemFont(11);
    const double tw = textWidth();
    const double titleH = lineHeight(titleFont);
    p.setFont(titleFont);
    p.setPen(labelColor(Level::primary, a));
    p.drawText(QRectF(0, 0, tw, titleH), Qt::AlignLeft | Qt::AlignVCenter, title_);
    paintWrapped(p, QRectF(0, titleH + 4.0, tw, height()), descFont, description_, labelColor(Level::secondary, a));

    // The switch: a capsule, accent-filled when on, with a round white thumb.
    const QRectF s = switchRect();
    const double t = std::clamp(thumb_.value(), 0.0, 1.0);
    const QColor off = a == Appearance::dark ? QColor(255, 255, 255, 50) : QColor(0, 0, 0, 40);
    QColor on = accent(a);
    QColor track;
    track.setRgbF(off.redF() + (on.redF() - off.redF()) * t, off.greenF() + (on.greenF() - off.greenF()) * t,
                  off.blueF() + (on.blueF() - off.blueF()) * t, off.alphaF() + (on.alphaF() - off.alphaF()) * t);
    if (!isEnabled())
        p.setOpacity(rowOpacity_ * 0.6);
    p.setPen(Qt::NoPen);
    p.setBrush(track);
    p.drawRoundedRect(s, s.height() / 2, s.height() / 2);
    const double d = s.height() - 4.0;
    const double x = s.left() + 2.0 + (s.width() - 4.0 - d) * thumb_.value();
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QRectF(x, s.top() + 2.5, d, d));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, s.top() + 2.0, d, d));
    if (hasFocus()) {
        p.setPen(QPen(systemColor(Hue::blue, a, 0.5), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(s.adjusted(-2, -2, 2, 2), s.height() / 2 + 2, s.height() / 2 + 2);
    }
}

PushButton::PushButton(Look look, QWidget* parent) : QAbstractButton(parent), look_(look)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize PushButton::sizeHint() const
{
    const QFontMetricsF fm(systemFont(13));
    // The plain button hugs its text; the prominent one has a padded bezel.
    const int padding = look_ == Look::prominent ? 24 : 8;
    return {static_cast<int>(std::ceil(fm.horizontalAdvance(text()))) + padding, 24};
}

void PushButton::paintEvent(QPaintEvent*)
{
    const Appearance a = paletteAppearance();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    QColor textColor = labelColor(Level::primary, a);
    if (look_ == Look::prominent) {
        QColor fill = accent(a);
        if (isDown())
            fill = fill.darker(115);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, 6, 6);
        textColor = Qt::white;
    } else if (isDown()) {
        textColor = labelColor(Level::secondary, a);
    }
    if (hasFocus()) {
        p.setPen(QPen(systemColor(Hue::blue, a, 0.5), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0.5), 7, 7);
    }
    p.setFont(systemFont(13, look_ == Look::prominent ? QFont::Medium : QFont::Normal));
    p.setPen(textColor);
    p.drawText(r, Qt::AlignCenter, text());
}

} // namespace plovane
