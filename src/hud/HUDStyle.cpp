#include "hud/HUDStyle.h"

#include "platform/qt/EmojiText.h"
#include "platform/qt/ImageStore.h"
#include "platform/qt/InterfaceFont.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace plovane::hud {

QColor color(Hue hue, double opacity)
{
    QColor c;
    switch (hue) {
    case Hue::red:
        c = QColor(255, 69, 58);
        break;
    case Hue::green:
        c = QColor(48, 209, 88);
        break;
    case Hue::orange:
        c = QColor(255, 159, 10);
        break;
    case Hue::blue:
        c = QColor(10, 132, 255);
        break;
    case Hue::white:
        c = QColor(255, 255, 255);
        break;
    case Hue::black:
        c = QColor(0, 0, 0);
        break;
    }
    c.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
    return c;
}

QColor color(const Tint& tint) { return color(tint.hue, tint.opacity); }

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](float x, float y) { return x + (y - x) * static_cast<float>(t); };
    QColor c;
    c.setRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()), lerp(a.blueF(), b.blueF()),
              lerp(a.alphaF(), b.alphaF()));
    return c;
}

QFont systemFont(double size, QFont::Weight weight)
{
    QFont f = fonts::interfaceFont();
    // Sizes are logical pixels and may be fractional (9.5, 10.5): a pixel size would be
    // rounded to whole pixels, a point size at the screen's resolution is not.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    f.setPointSizeF(std::max(0.5, size) * 72.0 / dpi);
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QColor ultraThinMaterial(double opacity)
{
    QColor c(28, 28, 32);
    c.setAlphaF(static_cast<float>(std::clamp(0.25 + 0.7 * opacity, 0.0, 1.0)));
    return c;
}

} // namespace plovane::hud

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace plovane::hud {

WrappedText wrapText(const QString& text, const QFont& font, double width, int maxLines)
{
    WrappedText out;
    const emoji::ExactSize exact = emoji::exactSize(font);
    const QFontMetricsF fm(exact.font);
    out.lineHeight = std::ceil(fm.height() * exact.scale);
    QString flat = emoji::forColourFace(text);
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(flat, exact.font);
    layout.setFormats(emoji::formats(flat));
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width / exact.scale);
        if (out.lines.size() + 1 == maxLines) {
            // Last line allowed: whatever remains goes on it, cut with an ellipsis.
            const QString rest = flat.mid(line.textStart());
            out.lines << fm.elidedText(rest, Qt::ElideRight, width / exact.scale);
            break;
        }
        out.lines << flat.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    for (const QString& l : out.lines)
        out.width = std::max(out.width, emoji::lineWidth(l, font));
    out.width = std::min(std::ceil(out.width), width);
    return out;
}

void paintWrapped(QPainter& p, const WrappedText& text, const QFont& font, QPointF topLeft, double width,
                  Qt::Alignment horizontal)
{
    double y = topLeft.y();
    for (const QString& line : text.lines) {
        emoji::drawLine(p, QRectF(topLeft.x(), y, width, text.lineHeight), horizontal | Qt::AlignVCenter, line, font);
        y += text.lineHeight;
    }
}

} // namespace plovane::hud


namespace plovane::hud {

QImage makeLayer(QSizeF size, qreal dpr)
{
    QImage image(QSize(static_cast<int>(std::ceil(size.width() * dpr)), static_cast<int>(std::ceil(size.height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

void paintInBands(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& paint)
{
    // Rounded and antialiased edges make a few spans per row: twelve rows stay well
    // under the count Qt splits across threads.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double band = 12.0 / dpr;
    for (double top = area.top(); top < area.bottom(); top += band) {
        painter.save();
        painter.setClipRect(QRectF(area.left(), top, area.width(), band), Qt::IntersectClip);
        paint(painter);
        painter.restore();
    }
}

void paintInBands(QImage& layer, const std::function<void(QPainter&)>& paint)
{
    QPainter p(&layer);
    paintInBands(p, QRectF(QPointF(0, 0), QSizeF(layer.size()) / layer.devicePixelRatio()), paint);
}

void drawCachedText(QPainter& p, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font,
                    const QColor& color)
{
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QString key = QStringLiteral("text ") + text + QChar(0x1f) + font.key() + QChar(0x1f) +
                        color.name(QColor::HexArgb) + QChar(0x1f) + QString::number(dpr);
    const QImage image = ImageStore::shared().named(key, [&] {
        const QSizeF size(std::ceil(emoji::lineWidth(text, font)) + 2.0, std::ceil(QFontMetricsF(font).height()));
        QImage layer = makeLayer(size, dpr);
        QPainter ip(&layer);
        ip.setRenderHint(QPainter::TextAntialiasing, true);
        ip.setPen(color);
        emoji::drawLine(ip, QRectF(QPointF(0, 0), size), Qt::AlignLeft | Qt::AlignVCenter, text, font);
        return layer;
    });
    const QSizeF size = QSizeF(image.size()) / dpr;
    double x = rect.left();
    if (align & Qt::AlignHCenter)
        x = rect.center().x() - size.width() / 2;
    else if (align & Qt::AlignRight)
        x = rect.right() - size.width();
    const double y = rect.center().y() - size.height() / 2;
    p.drawImage(QPointF(x, y), image);
}

} // namespace plovane::hud
