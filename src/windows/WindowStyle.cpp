#include "windows/WindowStyle.h"

#include "platform/qt/EmojiText.h"
#include "platform/qt/InterfaceFont.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace plovane::windows {

Appearance paletteAppearance()
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightnessF() < 0.5 ? Appearance::dark : Appearance::light;
}

QColor systemColor(Hue hue, Appearance appearance, double opacity)
{
    const bool dark = appearance == Appearance::dark;
    QColor c;
    switch (hue) {
    case Hue::red:
        c = dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
        break;
    case Hue::orange:
        c = dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
        break;
    case Hue::yellow:
        c = dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
        break;
    case Hue::green:
        c = dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
        break;
    case Hue::teal:
        c = dark ? QColor(64, 200, 224) : QColor(48, 176, 199);
        break;
    case Hue::cyan:
        c = dark ? QColor(100, 210, 255) : QColor(50, 173, 230);
        break;
    case Hue::blue:
        c = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
        break;
    case Hue::purple:
        c = dark ? QColor(191, 90, 242) : QColor(175, 82, 222);
        break;
    }
    c.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
    return c;
}

QColor labelColor(Level level, Appearance appearance)
{
    QColor c = appearance == Appearance::dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    switch (level) {
    case Level::primary:
        c.setAlphaF(0.85f);
        break;
    case Level::secondary:
        c.setAlphaF(appearance == Appearance::dark ? 0.55f : 0.5f);
        break;
    case Level::tertiary:
        c.setAlphaF(appearance == Appearance::dark ? 0.25f : 0.26f);
        break;
    }
    return c;
}

QFont systemFont(double size, QFont::Weight weight, Design design)
{
    QFont f = fonts::interfaceFont();
    if (design == Design::monospaced)
        f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono"), QStringLiteral("monospace")});
    // The desktop has no rounded face of its own; its plain sans keeps the weight.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont textFont(TextStyle style, QFont::Weight weight)
{
    switch (style) {
    case TextStyle::title2:
        return systemFont(17, weight);
    case TextStyle::title3:
        return systemFont(15, weight);
    case TextStyle::headline:
        return systemFont(13, weight == QFont::Normal ? QFont::DemiBold : weight);
    case TextStyle::body:
        return systemFont(13, weight);
    case TextStyle::subheadline:
        return systemFont(11, weight);
    case TextStyle::footnote:
    case TextStyle::caption:
    case TextStyle::caption2:
        return systemFont(10, weight);
    }
    return systemFont(13, weight);
}

double textWidth(const QFont& font, const QString& text) { return QFontMetricsF(font).horizontalAdvance(text); }

double lineHeight(const QFont& font) { return std::ceil(QFontMetricsF(font).height()); }

namespace {

// Lines of `text` broken to `width`; explicit line breaks start new lines.
QStringList wrapLines(const QFont& font, const QString& text, double width)
{
    QStringList out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            out << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return out;
}

} // namespace

double wrappedHeight(const QFont& font, const QString& text, double width, double lineSpacing)
{
    const int n = static_cast<int>(wrapLines(font, text, width).size());
    return n * lineHeight(font) + std::max(0, n - 1) * lineSpacing;
}

void paintWrapped(QPainter& p, const QRectF& rect, const QFont& font, const QString& text, const QColor& color,
                  Qt::Alignment align, double lineSpacing)
{
    p.save();
    p.setFont(font);
    p.setPen(color);
    const double lh = lineHeight(font);
    double y = rect.top();
    for (const QString& line : wrapLines(font, text, rect.width())) {
        p.drawText(QRectF(rect.left(), y, rect.width(), lh), (align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                   line);
        y += lh + lineSpacing;
    }
    p.restore();
}

void fillInBands(QPainter& p, const QRectF& rect, const QBrush& brush)
{
    constexpr double kBandPixels = 4096.0;
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const double band = std::max(1.0, std::floor(kBandPixels / std::max(1.0, rect.width() * dpr * dpr)));
    for (double y = rect.top(); y < rect.bottom(); y += band)
        p.fillRect(QRectF(rect.left(), y, rect.width(), std::min(band, rect.bottom() - y)), brush);
}

namespace {

struct Run {
    QString text;
    bool emoji;
};

bool isEmojiCluster(const QString& cluster)
{
    if (cluster.contains(QChar(0xFE0F)))
        return true;
    if (cluster.contains(QChar(0xFE0E))) // asked for as text
        return false;
    const auto ucs = cluster.toUcs4();
    return !ucs.isEmpty() && emoji::isEmojiBase(ucs.front());
}

std::vector<Run> runs(const QString& text)
{
    std::vector<Run> out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end >= 0; end = finder.toNextBoundary()) {
        QString cluster = text.mid(start, end - start);
        const bool emoji = isEmojiCluster(cluster);
        if (emoji)
            cluster = emoji::forColourFace(cluster);
        if (out.empty() || out.back().emoji != emoji)
            out.push_back({cluster, emoji});
        else
            out.back().text += cluster;
        start = end;
    }
    return out;
}

QFont emojiFontLike(const QFont& font)
{
    // Whichever colour face the desktop has, not only Noto's.
    QFont f = font;
    if (!emoji::colorFamily().isEmpty())
        f.setFamilies({emoji::colorFamily(), font.family()});
    return f;
}

} // namespace

double richTextWidth(const QFont& font, const QString& text)
{
    double w = 0;
    for (const Run& r : runs(text))
        w += QFontMetricsF(r.emoji ? emojiFontLike(font) : font).horizontalAdvance(r.text);
    return w;
}

QString elideRichText(const QFont& font, const QString& text, double width)
{
    if (richTextWidth(font, text) <= width)
        return text;
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype end = finder.toNextBoundary(); end >= 0; end = finder.toNextBoundary())
        ends.push_back(end);
    const QString ellipsis(QChar(0x2026));
    // Drop whole characters from the end; an ellipsis alone is the least it shows.
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        QString cut = text.left(*it);
        while (!cut.isEmpty() && cut.back().isSpace())
            cut.chop(1);
        if (richTextWidth(font, cut + ellipsis) <= width)
            return cut + ellipsis;
    }
    return ellipsis;
}

void drawRichText(QPainter& p, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font,
                  const QColor& color)
{
    const double total = richTextWidth(font, text);
    double x = rect.left();
    if (align & Qt::AlignHCenter)
        x = rect.center().x() - total / 2;
    else if (align & Qt::AlignRight)
        x = rect.right() - total;
    const QFontMetricsF fm(font);
    // One baseline for every run: the text font's, centred in the rectangle.
    const double baseline = rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent();
    p.save();
    p.setPen(color);
    for (const Run& r : runs(text)) {
        const QFont f = r.emoji ? emojiFontLike(font) : font;
        p.setFont(f);
        p.drawText(QPointF(x, baseline), r.text);
        x += QFontMetricsF(f).horizontalAdvance(r.text);
    }
    p.restore();
}

} // namespace plovane::windows
