#pragma once

#include "hud/HUDRules.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QPainter;
class QRectF;

namespace plovane::hud {

// The named colours of the HUD (their dark-appearance values), at an opacity.
QColor color(Hue hue, double opacity = 1.0);
QColor color(const Tint& tint);
// Straight blend of two colours, alpha included.
QColor mix(const QColor& a, const QColor& b, double t);

// The system UI font at `size` logical pixels.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);

// Stand-in for the frosted "ultra-thin material" in the dark scheme: a translucent dark
// fill, made denser by `opacity`.
QColor ultraThinMaterial(double opacity);

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace plovane::hud

namespace plovane::hud {

// Text broken into at most `maxLines` lines of `width`; the last line ends in an
// ellipsis when text remains.
struct WrappedText {
    QStringList lines;
    double lineHeight{0};
    double width{0}; // widest line
    double height() const { return lineHeight * lines.size(); }
};
WrappedText wrapText(const QString& text, const QFont& font, double width, int maxLines);
// A transparent image of `size` logical pixels for a device pixel ratio: what the
// HUD's kept layers are painted into.
QImage makeLayer(QSizeF size, qreal dpr);
// Paints into `layer` a band of a few rows at a time. Qt hands a filled shape taller
// than about a hundred rows to a pool of worker threads (created on first use, woken
// for every such fill); bands that low it fills on the calling thread.
void paintInBands(QImage& layer, const std::function<void(QPainter&)>& paint);
// The same on a painter, over `area` (logical coordinates of the painter).
void paintInBands(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& paint);

// Draws one line of text like QPainter::drawText, from an image made the first time.
// Colour emoji are bitmaps scaled down on every draw; the HUD's few repeating texts
// (headline, button symbols) should not pay that each second.
void drawCachedText(QPainter& p, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font,
                    const QColor& color);

// Draws the lines from `topLeft`, each left-aligned or centred within `width`.
void paintWrapped(QPainter& p, const WrappedText& text, const QFont& font, QPointF topLeft, double width,
                  Qt::Alignment horizontal);

} // namespace plovane::hud
