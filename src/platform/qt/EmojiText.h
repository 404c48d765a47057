#pragma once

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextLayout>

class QPainter;

namespace plovane::emoji {

// Whether `c` is drawn as an emoji even without the emoji variation selector: the
// pictographs, and the symbols of the older blocks that have an emoji form.
bool isEmojiBase(char32_t c);

// The emoji a text starts with (one cluster with its joiners, selectors and modifiers),
// or empty: a pictograph, or a symbol given with the emoji variation selector U+FE0F.
QString leadingEmoji(const QString& text);

// The desktop's colour emoji font family, or empty when it has none.
QString colorFamily();
// `font` with the colour emoji family, for text that is emoji only.
QFont colorFont(const QFont& font);

// `text` without the emoji variation selectors (U+FE0F) of the emoji set in the colour
// face: the selector only asks for the emoji form, which that face gives anyway, and the
// face has no glyph of its own for it, so font fallback would set it in a text face (a
// blank a few pixels wide in DejaVu Sans, which also takes the emoji before it along).
QString forColourFace(const QString& text);

// The runs of `text` that are emoji (with their joiners, variation selectors and
// modifiers), formatted to be set in the colour emoji font. Text fonts such as DejaVu
// Sans carry monochrome outlines of some emoji (😎, ☕), which font fallback would
// otherwise pick before the colour font.
QList<QTextLayout::FormatRange> formats(const QString& text);

// Qt rounds a font's size to whole pixels. Text at a fractional pixel size (10.5) is
// laid out in the font at twice that size and drawn at half scale: `font` to lay out
// with, `scale` to multiply its measures by (1 for whole sizes).
struct ExactSize {
    QFont font;
    double scale{1.0};
};
ExactSize exactSize(const QFont& font);

// One line of text, emoji in colour, in the painter's pen: drawn within `rect`, aligned
// by `align` (horizontal and vertical centre or top).
void drawLine(QPainter& painter, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font);
// Width of one line of text as drawLine() sets it.
double lineWidth(const QString& text, const QFont& font);

} // namespace plovane::emoji
