#include "hud/BadgeView.h"

#include "hud/HUDStyle.h"
#include "platform/qt/EmojiText.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

namespace plovane {

namespace {
constexpr double kFontSize = 16.0;
constexpr double kShadowRadius = 2.0;
const QPointF kShadowOffset{0.0, 1.0};
// A 3–4 point bob needs no more than this many frames a second to look smooth.
constexpr double kBobFrameRate = 30.0;
} // namespace

BadgeView::BadgeView(AnimationDriver& driver, Look look, std::function<void()> onFrame)
    : look_(std::move(look)), bounce_(driver, 0.0, std::move(onFrame))
{
}

void BadgeView::appear()
{
    bouncing_ = true;
    bounce_.set(0.0);
    bounce_.animateTo(1.0, Animation::easeInOut(look_.halfCycle).repeatForever().atFrameRate(kBobFrameRate));
}

void BadgeView::disappear()
{
    bouncing_ = false;
    bounce_.set(0.0);
}

QSizeF BadgeView::size() const
{
    // Measuring a colour emoji decodes its bitmap: once is enough.
    if (size_.isEmpty()) {
        const QFont font = hud::systemFont(kFontSize);
        size_ = QSizeF(std::ceil(emoji::lineWidth(look_.emoji, font)), std::ceil(QFontMetricsF(font).height()));
    }
    return size_;
}

double BadgeView::offsetY() const { return -look_.lift * bounce_.value(); }

void BadgeView::render() const
{
    const qreal dpr = std::max<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
    if (!glyph_.isNull() && renderedDpr_ == dpr)
        return;
    const QSizeF s = size();
    glyph_ = hud::makeLayer(s, dpr);
    QPainter p(&glyph_);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(Qt::white);
    emoji::drawLine(p, QRectF(QPointF(0, 0), s), Qt::AlignCenter, look_.emoji, hud::systemFont(kFontSize));
    p.end();
    shadow_ = Shadow::make(glyph_, kShadowRadius, QColor(0, 0, 0));
    renderedDpr_ = dpr;
}

void BadgeView::paint(QPainter& painter, QPointF topLeft) const
{
    render();
    const QPointF at = topLeft + QPointF(0.0, offsetY());
    const double base = painter.opacity();
    painter.setOpacity(base * look_.shadowOpacity);
    painter.drawImage(shadow_.drawOrigin(at, kShadowOffset), shadow_.image);
    painter.setOpacity(base);
    painter.drawImage(at, glyph_);
}

std::unique_ptr<BadgeView> makeKnockBadgeView(AnimationDriver& driver, std::function<void()> onFrame)
{
    return std::make_unique<BadgeView>(driver, BadgeView::Look{QStringLiteral("❓"), 0.35, 3.0, 0.35},
                                       std::move(onFrame));
}

std::unique_ptr<BadgeView> makeMusicBadgeView(AnimationDriver& driver, std::function<void()> onFrame)
{
    return std::make_unique<BadgeView>(driver, BadgeView::Look{QStringLiteral("🎵"), 0.4, 4.0, 0.45},
                                       std::move(onFrame));
}

} // namespace plovane
