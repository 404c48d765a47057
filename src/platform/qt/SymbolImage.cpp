#include "platform/qt/SymbolImage.h"

#include "platform/qt/EmojiText.h"
#include "platform/qt/ImageStore.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>
#include <vector>

namespace plovane {

namespace {

using Drawer = std::function<void(QPainter&, const QRectF&, const QColor&)>;

struct Entry {
    const char* name;
    std::vector<const char*> themeIcons; // monochrome ("-symbolic") icons only: we tint them
    Drawer draw;
    const char* emoji;
};

void drawEmptyBattery(QPainter& p, const QRectF& r, const QColor& c)
{
    // A landscape battery outline with its terminal nub and no charge inside.
    const double h = r.height() * 0.55;
    const double w = std::min(r.width(), h * 2.0);
    const double stroke = std::max(1.0, h * 0.14);
    const QRectF body(r.center().x() - w / 2, r.center().y() - h / 2, w - h * 0.22, h);
    p.setPen(QPen(c, stroke));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2), h * 0.22, h * 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(body.right() + stroke * 0.4, body.top() + h * 0.3, h * 0.16, h * 0.4), 1, 1);
}

void drawDashedQuestionSquare(QPainter& p, const QRectF& r, const QColor& c)
{
    const double side = std::min(r.width(), r.height()) * 0.8;
    const QRectF sq(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    QPen pen(c, std::max(1.0, side * 0.06));
    pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(sq, side * 0.15, side * 0.15);
    QFont f = p.font();
    f.setPixelSize(std::max(6, static_cast<int>(side * 0.6)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(c);
    p.drawText(sq, Qt::AlignCenter, QStringLiteral("?"));
}

void drawPerson(QPainter& p, const QRectF& r, const QColor& c)
{
    // A head over rounded shoulders, filled.
    const double s = std::min(r.width(), r.height());
    const QPointF o(r.center().x() - s / 2, r.center().y() - s / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(o.x() + s * 0.31, o.y() + s * 0.06, s * 0.38, s * 0.38));
    QPainterPath body;
    body.moveTo(o.x() + s * 0.1, o.y() + s * 0.94);
    body.cubicTo(o.x() + s * 0.1, o.y() + s * 0.52, o.x() + s * 0.9, o.y() + s * 0.52, o.x() + s * 0.9, o.y() + s * 0.94);
    body.closeSubpath();
    p.drawPath(body);
}

void drawCrossVial(QPainter& p, const QRectF& r, const QColor& c)
{
    // A filled test tube with a cross cut out of it.
    const double s = std::min(r.width(), r.height());
    const QRectF tube(r.center().x() - s * 0.22, r.center().y() - s * 0.45, s * 0.44, s * 0.9);
    QPainterPath path;
    path.addRoundedRect(tube, s * 0.22, s * 0.22);
    QPainterPath cross;
    const double arm = s * 0.08;
    const QPointF m(tube.center().x(), tube.top() + tube.height() * 0.6);
    cross.addRect(QRectF(m.x() - arm, m.y() - arm * 3, arm * 2, arm * 6));
    cross.addRect(QRectF(m.x() - arm * 3, m.y() - arm, arm * 6, arm * 2));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path.subtracted(cross));
    p.drawRect(QRectF(tube.left() - s * 0.05, tube.top(), tube.width() + s * 0.1, s * 0.1));
}

void drawInfoCircle(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = std::min(r.width(), r.height()) * 0.9;
    const QRectF circle(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    p.setPen(QPen(c, std::max(1.0, s * 0.09)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle.adjusted(s * 0.05, s * 0.05, -s * 0.05, -s * 0.05));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(circle.center().x() - s * 0.06, circle.top() + s * 0.22, s * 0.12, s * 0.12));
    p.drawRect(QRectF(circle.center().x() - s * 0.05, circle.top() + s * 0.42, s * 0.1, s * 0.36));
}

const std::vector<Entry>& table()
{
    static const std::vector<Entry> entries = {
        {"battery.0percent", {"battery-empty-symbolic", "battery-level-0-symbolic"}, drawEmptyBattery, "🪫"},
        {"questionmark.square.dashed", {}, drawDashedQuestionSquare, "❓"},
        {"hammer.fill", {}, {}, "🔨"},
        {"cup.and.saucer.fill", {}, {}, "☕"},
        {"dog.fill", {}, {}, "🐶"},
        {"person.fill", {"avatar-default-symbolic"}, drawPerson, "👤"},
        {"cross.vial.fill", {}, drawCrossVial, "🧪"},
        {"info.circle", {"dialog-information-symbolic"}, drawInfoCircle, "ℹ️"},
    };
    return entries;
}

const Entry* find(const QString& name)
{
    for (const Entry& e : table())
        if (name == QLatin1String(e.name))
            return &e;
    return nullptr;
}

QIcon themeIcon(const Entry& e)
{
    // Desktops without a configured theme (a bare X server, the offscreen platform)
    // still have Adwaita's symbolic icons installed.
    static const bool fallbackSet = [] {
        if (QIcon::fallbackThemeName().isEmpty())
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    (void)fallbackSet;
    for (const char* n : e.themeIcons) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(n));
        if (!icon.isNull() && !icon.availableSizes().isEmpty())
            return icon;
        if (!icon.isNull() && !icon.pixmap(16, 16).isNull())
            return icon;
    }
    return {};
}

} // namespace

SymbolImage::Source SymbolImage::sourceFor(const QString& name)
{
    const Entry* e = find(name);
    if (!e)
        return Source::none;
    if (!themeIcon(*e).isNull())
        return Source::themeIcon;
    if (e->draw)
        return Source::drawn;
    return Source::emoji;
}

void SymbolImage::paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color)
{
    const Entry* e = find(name);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (e) {
        if (QIcon icon = themeIcon(*e); !icon.isNull()) {
            // Tint the monochrome icon: keep its alpha, take our colour.
            const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
            const int side = static_cast<int>(std::ceil(std::min(rect.width(), rect.height()) * dpr));
            const QString key = QStringLiteral("theme-symbol ") + name + QLatin1Char('@') + QString::number(side) +
                                color.name(QColor::HexArgb);
            const QImage tinted = ImageStore::shared().named(key, [&] {
                QImage out = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
                QPainter tp(&out);
                tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tp.fillRect(out.rect(), color);
                tp.end();
                return out;
            });
            const QSizeF logical = QSizeF(tinted.size()) / dpr;
            const QRectF target(rect.center().x() - logical.width() / 2, rect.center().y() - logical.height() / 2,
                                logical.width(), logical.height());
            painter.drawImage(target, tinted, QRectF(tinted.rect()));
            painter.restore();
            return;
        }
        if (e->draw) {
            e->draw(painter, rect, color);
            painter.restore();
            return;
        }
    }
    // Colour emoji are large bitmaps: one drawn big and scaled down smoothly once reads
    // better at symbol size than the glyph scaled at every draw.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double side = std::max(6.0, std::min(rect.width(), rect.height()));
    const QString text = e ? QString::fromUtf8(e->emoji) : QStringLiteral("?");
    const QString key = QStringLiteral("emoji-symbol ") + text + QLatin1Char('@') + QString::number(side) +
                        QLatin1Char('x') + QString::number(dpr) + color.name(QColor::HexArgb);
    const QImage image = ImageStore::shared().named(key, [&] {
        constexpr int kBig = 64;
        QImage big(kBig * 5 / 4, kBig * 5 / 4, QImage::Format_ARGB32_Premultiplied);
        big.fill(Qt::transparent);
        QPainter bp(&big);
        QFont f = painter.font();
        f.setPixelSize(kBig);
        bp.setPen(color);
        emoji::drawLine(bp, QRectF(big.rect()), Qt::AlignCenter, text, emoji::colorFont(f));
        bp.end();
        // Trimmed to what was drawn, then fitted to the symbol's square.
        QRect drawn;
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                if (qAlpha(big.pixel(x, y)) > 0)
                    drawn |= QRect(x, y, 1, 1);
        const int px = static_cast<int>(std::ceil(side * dpr));
        QImage small = drawn.isEmpty() ? QImage(px, px, QImage::Format_ARGB32_Premultiplied)
                                       : big.copy(drawn).scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (drawn.isEmpty())
            small.fill(Qt::transparent);
        small.setDevicePixelRatio(dpr);
        return small;
    });
    const QSizeF logical = QSizeF(image.size()) / dpr;
    painter.drawImage(QPointF(rect.center().x() - logical.width() / 2, rect.center().y() - logical.height() / 2), image);
    painter.restore();
}

} // namespace plovane
