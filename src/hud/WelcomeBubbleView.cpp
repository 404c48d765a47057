#include "hud/WelcomeBubbleView.h"

#include "hud/HUDStyle.h"
#include "platform/qt/EmojiText.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace plovane {

namespace {
constexpr double kMessageSize = 10.5;
constexpr double kLineSpacing = 3.0;
constexpr double kButtonSize = 11.0;
constexpr double kPadH = 10.0;
constexpr double kPadV = 8.0;
constexpr double kGap = 8.0;
constexpr double kButtonPadH = 12.0;
constexpr double kButtonPadV = 5.0;
constexpr double kCornerRadius = 10.0;
constexpr double kShadowRadius = 6.0;
const QPointF kShadowOffset{0.0, 3.0};

QFont messageFont() { return hud::systemFont(kMessageSize, QFont::Medium); }
QFont buttonFont() { return hud::systemFont(kButtonSize, QFont::Bold); }

// Lays each paragraph out within `width`; returns the height and, when `painter` is
// given, draws the lines too.
double layoutMessage(const QString& text, double width, QPainter* painter, QPointF origin, double* usedWidth)
{
    // Laid out at the exact size's stand-in font, in its units; measures come back scaled.
    const emoji::ExactSize exact = emoji::exactSize(messageFont());
    const double scale = exact.scale;
    const QFontMetricsF fm(exact.font);
    double y = 0.0;
    double widest = 0.0;
    bool first = true;
    if (painter) {
        painter->save();
        painter->translate(origin);
        painter->scale(scale, scale);
    }
    for (const QString& paragraph : emoji::forColourFace(text).split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, exact.font);
        layout.setFormats(emoji::formats(paragraph));
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width / scale);
            if (!first)
                y += kLineSpacing / scale;
            first = false;
            line.setPosition(QPointF(0.0, y));
            y += line.height();
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout.endLayout();
        if (painter)
            layout.draw(painter, QPointF(0, 0));
        if (paragraph.isEmpty() && layout.lineCount() == 0)
            y += fm.height();
    }
    if (painter)
        painter->restore();
    if (usedWidth)
        *usedWidth = widest * scale;
    return y * scale;
}

QPainterPath tailPath(QPointF topLeft)
{
    QPainterPath path(topLeft + QPointF(0, 3));
    path.lineTo(topLeft + QPointF(8, 8));
    path.lineTo(topLeft + QPointF(0, 13));
    path.closeSubpath();
    return path;
}

} // namespace

bool WelcomeBubbleView::setContent(const QString& message, const QString& buttonTitle, double maxWidth)
{
    if (message == message_ && buttonTitle == buttonTitle_ && maxWidth == maxWidth_)
        return false;
    message_ = message;
    buttonTitle_ = buttonTitle;
    maxWidth_ = maxWidth;
    shadow_ = {};

    const double textMax = std::max(40.0, maxWidth - kTailWidth - 2 * kPadH);
    double natural = 0.0;
    layoutMessage(message, 1e6, nullptr, {}, &natural);
    const double textWidth = std::min(std::ceil(natural), textMax);
    double used = 0.0;
    const double textHeight = std::ceil(layoutMessage(message, textWidth, nullptr, {}, &used));

    const QFontMetricsF bfm(buttonFont());
    const QSizeF buttonSize(std::ceil(emoji::lineWidth(buttonTitle, buttonFont())) + 2 * kButtonPadH,
                            std::ceil(bfm.height()) + 2 * kButtonPadV);
    const double innerWidth = std::max(textWidth, buttonSize.width());
    const QSizeF cardSize(innerWidth + 2 * kPadH, kPadV + textHeight + kGap + buttonSize.height() + kPadV);
    card_ = QRectF(QPointF(0, 0), cardSize);
    text_ = QRectF(kPadH, kPadV, textWidth, textHeight);
    button_ = QRectF(QPointF(kPadH, kPadV + textHeight + kGap), buttonSize);
    size_ = QSizeF(cardSize.width() - 0.5 + kTailWidth, std::max(cardSize.height(), kTailHeight));
    return true;
}

void WelcomeBubbleView::paintBody(QPainter& p, QPointF topLeft) const
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QRectF card = card_.translated(topLeft);
    p.setPen(Qt::NoPen);
    p.setBrush(hud::color(hud::Hue::black, 0.8));
    p.drawRoundedRect(card, kCornerRadius, kCornerRadius);
    // The tail sits centred on the card's right edge, overlapping it by half a point.
    const QPointF tailAt(card.right() - 0.5, card.center().y() - kTailHeight / 2);
    p.drawPath(tailPath(tailAt));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(hud::color(hud::Hue::white, 0.15), 0.5));
    p.drawRoundedRect(card, kCornerRadius, kCornerRadius);

    p.setPen(Qt::white);
    layoutMessage(message_, text_.width(), &p, text_.topLeft() + topLeft, nullptr);

    const QRectF button = button_.translated(topLeft);
    p.setPen(Qt::NoPen);
    p.setBrush(hud::color(hud::Hue::blue, 0.7));
    p.drawRoundedRect(button, button.height() / 2, button.height() / 2);
    p.setPen(Qt::white);
    emoji::drawLine(p, button, Qt::AlignCenter, buttonTitle_, buttonFont());
}

void WelcomeBubbleView::renderShadow() const
{
    if (!shadow_.isNull())
        return;
    const qreal dpr = std::max<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
    QImage silhouette = hud::makeLayer(size_, dpr);
    QPainter p(&silhouette);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(card_, kCornerRadius, kCornerRadius);
    p.drawPath(tailPath(QPointF(card_.right() - 0.5, card_.center().y() - kTailHeight / 2)));
    p.end();
    shadow_ = Shadow::make(silhouette, kShadowRadius, QColor(0, 0, 0));
}

void WelcomeBubbleView::paint(QPainter& p, QPointF topLeft) const
{
    renderShadow();
    p.save();
    // The shadow of the bubble as a whole: the card's 0.8 fill lets some of it through,
    // as it would under a real translucent card.
    const double base = p.opacity();
    p.setOpacity(base * 0.4);
    p.drawImage(shadow_.drawOrigin(topLeft, kShadowOffset), shadow_.image);
    p.setOpacity(base);
    paintBody(p, topLeft);
    p.restore();
}

} // namespace plovane
