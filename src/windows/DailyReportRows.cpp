#include "windows/DailyReportRows.h"

#include "windows/ReportFormat.h"
#include "windows/WindowStyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plovane {

using namespace windows;

namespace {

QColor white(double opacity)
{
    QColor c(255, 255, 255);
    c.setAlphaF(static_cast<float>(opacity));
    return c;
}

QColor faded(QColor c, double opacity)
{
    c.setAlphaF(static_cast<float>(c.alphaF() * opacity));
    return c;
}

QFont labelFont() { return systemFont(11, QFont::DemiBold); }
QFont nameFont() { return systemFont(11, QFont::Medium); }
QFont durationFont() { return systemFont(10, QFont::Normal, Design::monospaced); }

void capsule(QPainter& p, const QRectF& r, const QBrush& brush)
{
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}

} // namespace

double StateBarRow::height()
{
    const double text = std::max(lineHeight(labelFont()), lineHeight(durationFont()));
    return std::max(lineHeight(systemFont(13)), text + 3 + 5);
}

double StateBarRow::fillWidth(double available, double ratio) { return std::max(6.0, available * ratio); }

void StateBarRow::paint(QPainter& p, const QRectF& rect) const
{
    p.save();
    const QFont emojiFont = systemFont(13);
    drawRichText(p, QRectF(rect.left(), rect.top(), 20, rect.height()), Qt::AlignCenter, emoji, emojiFont, white(1));

    const double x = rect.left() + 20 + 8;
    const double w = rect.right() - x;
    const double textH = std::max(lineHeight(labelFont()), lineHeight(durationFont()));
    const double top = rect.top() + (rect.height() - (textH + 3 + 5)) / 2;
    p.setFont(labelFont());
    p.setPen(white(0.9));
    p.drawText(QRectF(x, top, w, textH), Qt::AlignLeft | Qt::AlignVCenter, label);
    p.setFont(durationFont());
    p.setPen(white(0.5));
    p.drawText(QRectF(x, top, w, textH), Qt::AlignRight | Qt::AlignVCenter, duration);

    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF track(x, top + textH + 3, w, 5);
    capsule(p, track, white(0.08));
    const QRectF fill(track.left(), track.top(), fillWidth(w, ratio), 5);
    QLinearGradient g(fill.topLeft(), fill.topRight());
    g.setColorAt(0, faded(color, 0.9));
    g.setColorAt(1, faded(color, 0.55));
    capsule(p, fill, g);
    p.restore();
}

double AppRankRow::height()
{
    return std::max({20.0, lineHeight(nameFont()) + 3 + 3, lineHeight(durationFont())});
}

QColor AppRankRow::rankColor(int rank)
{
    switch (rank) {
    case 1:
        return systemColor(Hue::yellow, Appearance::dark);
    case 2:
        return QColor::fromRgbF(0.75f, 0.75f, 0.80f);
    case 3:
        return QColor::fromRgbF(0.80f, 0.55f, 0.30f);
    default:
        return white(0.4);
    }
}

double AppRankRow::fillWidth(double available, long long seconds, long long maxSec)
{
    const double ratio = static_cast<double>(seconds) / static_cast<double>(std::max(1LL, maxSec));
    return std::max(4.0, available * ratio);
}

std::string AppRankRow::formatDuration(long long seconds) { return windows::formatDuration(seconds); }

QRectF AppRankRow::barRect(const QRectF& rect, const QString& duration)
{
    const double durationW = std::ceil(textWidth(durationFont(), duration));
    const double x = rect.left() + 20 + 8 + 20 + 8;
    // The name column takes what the badge, icon, time and their spacing leave.
    const double w = std::max(0.0, rect.right() - durationW - 8 - 8 - x);
    const double nameH = lineHeight(nameFont());
    const double top = rect.top() + (rect.height() - (nameH + 3 + 3)) / 2;
    return {x, top + nameH + 3, w, 3};
}

void AppRankRow::paint(QPainter& p, const QRectF& rect) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double cy = rect.center().y();
    const QColor rc = rankColor(rank);

    const QRectF badge(rect.left(), cy - 10, 20, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(faded(rc, 0.25));
    p.drawRoundedRect(badge, 4, 4);
    p.setFont(systemFont(9, QFont::Black, Design::rounded));
    p.setPen(rc);
    p.drawText(badge, Qt::AlignCenter, QString::number(rank));

    const QRectF iconRect(badge.right() + 8, cy - 10, 20, 20);
    if (!icon.isNull()) {
        QPainterPath clip;
        clip.addRoundedRect(iconRect, 4, 4);
        p.save();
        p.setClipPath(clip);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const QSizeF size = QSizeF(icon.size()).scaled(iconRect.size(), Qt::KeepAspectRatio);
        p.drawPixmap(QRectF(iconRect.center() - QPointF(size.width() / 2, size.height() / 2), size), icon,
                     QRectF(icon.rect()));
        p.restore();
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(white(0.1));
        p.drawRoundedRect(iconRect, 4, 4);
    }

    const QString duration = QString::fromStdString(formatDuration(app.seconds));
    const QRectF bar = barRect(rect, duration);
    const double nameH = lineHeight(nameFont());
    // Emoji in colour; one line, and what still does not fit the column is cut at its end.
    const QString name = elideRichText(nameFont(), displayName(QString::fromStdString(app.name)), bar.width());
    drawRichText(p, QRectF(bar.left(), bar.top() - 3 - nameH, bar.width(), nameH), Qt::AlignLeft | Qt::AlignVCenter,
                 name, nameFont(), white(0.9));
    capsule(p, bar, white(0.07));
    const QRectF fill(bar.left(), bar.top(), fillWidth(bar.width(), app.seconds, maxSec), 3);
    QLinearGradient g(fill.topLeft(), fill.topRight());
    g.setColorAt(0, systemColor(Hue::cyan, Appearance::dark, 0.8));
    g.setColorAt(1, systemColor(Hue::blue, Appearance::dark, 0.6));
    capsule(p, fill, g);

    p.setFont(durationFont());
    p.setPen(white(0.45));
    p.drawText(QRectF(rect.left(), rect.top(), rect.width(), rect.height()), Qt::AlignRight | Qt::AlignVCenter, duration);
    p.restore();
}

} // namespace plovane
