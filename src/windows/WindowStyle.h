#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <string>

class QPainter;
class QRectF;

namespace plovane::windows {

// Light or dark look of a window's content. The report is always dark; the other windows
// follow the desktop's palette.
enum class Appearance { light, dark };
// The appearance the desktop's palette asks for.
Appearance paletteAppearance();

// The platform's standard named colours, in their light and dark variants.
enum class Hue { red, orange, yellow, green, teal, cyan, blue, purple };
QColor systemColor(Hue hue, Appearance appearance, double opacity = 1.0);

// Foreground styles of text: primary, secondary (dimmer) and tertiary (dimmest).
enum class Level { primary, secondary, tertiary };
QColor labelColor(Level level, Appearance appearance);

// The platform's text styles, in points.
enum class TextStyle { title2, title3, headline, body, subheadline, footnote, caption, caption2 };
enum class Design { standard, rounded, monospaced };
QFont textFont(TextStyle style, QFont::Weight weight = QFont::Normal);
QFont systemFont(double size, QFont::Weight weight = QFont::Normal, Design design = Design::standard);

// Text drawn as a label: one line unless `wrapWidth` is given.
double textWidth(const QFont& font, const QString& text);
double lineHeight(const QFont& font);
// Height the text takes when wrapped to `width`.
double wrappedHeight(const QFont& font, const QString& text, double width, double lineSpacing = 0);
// Paints wrapped text from the top-left of `rect`, each line aligned by `align`.
void paintWrapped(QPainter& p, const QRectF& rect, const QFont& font, const QString& text, const QColor& color,
                  Qt::Alignment align = Qt::AlignLeft, double lineSpacing = 0);

// Fills `rect` in bands a dozen rows high. Qt hands a fill of many rows to a pool of
// helper threads (eight more threads, woken at every repaint); bands this size stay on
// the painting thread.
void fillInBands(QPainter& p, const QRectF& rect, const QBrush& brush);

// Text with colour emoji in it: each emoji (a character followed by the emoji variation
// selector, or any pictograph) is drawn from the colour emoji font, so none comes out
// as a monochrome outline from the text font; the rest in `font`.
double richTextWidth(const QFont& font, const QString& text);
// `text` cut at its end to fit `width` as drawRichText() sets it, ending in "…" when cut;
// whole user-perceived characters only, so no joined emoji, flag or accent is split.
QString elideRichText(const QFont& font, const QString& text, double width);
void drawRichText(QPainter& p, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font,
                  const QColor& color);

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace plovane::windows
