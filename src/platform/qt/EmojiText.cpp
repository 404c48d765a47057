#include "platform/qt/EmojiText.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>

#include <cmath>

namespace plovane::emoji {

bool isEmojiBase(char32_t c)
{
    // The blocks of pictographs and symbols with emoji forms; from the arrows and
    // technical blocks only the characters that have one (a plain → stays text).
    return (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x2600 && c <= 0x27BF) || (c >= 0x2B00 && c <= 0x2BFF) ||
           (c >= 0x2194 && c <= 0x2199) || c == 0x21A9 || c == 0x21AA || c == 0x231A || c == 0x231B ||
           c == 0x2328 || c == 0x23CF || (c >= 0x23E9 && c <= 0x23F3) || (c >= 0x23F8 && c <= 0x23FA) ||
           c == 0x25AA || c == 0x25AB || c == 0x25B6 || c == 0x25C0 || (c >= 0x25FB && c <= 0x25FE) ||
           c == 0x203C || c == 0x2049 || c == 0x2139 || c == 0x3030 || c == 0x303D || c == 0x3297 || c == 0x3299;
}

namespace {

// What continues an emoji: joiner, variation selector, keycap, skin tone, tag.
bool continuesEmoji(char32_t c)
{
    return c == 0x200D || c == 0xFE0F || c == 0x20E3 || (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F);
}

} // namespace

QString leadingEmoji(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = finder.toNextBoundary();
    if (end <= 0)
        return QString();
    const QString cluster = text.left(end);
    if (cluster.contains(QChar(0xFE0E))) // asked for as text
        return QString();
    const char32_t first = cluster.toUcs4().front();
    // Digits and # take the emoji form only as keycaps.
    if (cluster.contains(QChar(0xFE0F)) ? (first >= 0x80 || cluster.contains(QChar(0x20E3))) : isEmojiBase(first))
        return cluster;
    return QString();
}

QString colorFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : {"Noto Color Emoji", "Twemoji", "JoyPixels", "EmojiOne Color", "Apple Color Emoji",
                                 "Segoe UI Emoji", "Emoji One"})
            if (installed.contains(QLatin1String(name)))
                return QString::fromLatin1(name);
        for (const QString& f : installed)
            if (f.contains(QLatin1String("Color Emoji"), Qt::CaseInsensitive))
                return f;
        return QString();
    }();
    return family;
}

QFont colorFont(const QFont& font)
{
    QFont f = font;
    if (!colorFamily().isEmpty())
        f.setFamilies({colorFamily()});
    return f;
}

QString forColourFace(const QString& text)
{
    if (colorFamily().isEmpty() || !text.contains(QChar(0xFE0F)))
        return text;
    QString out;
    out.reserve(text.size());
    bool inEmoji = false;
    for (int i = 0; i < text.size(); ++i) {
        const char32_t c = text.at(i).isHighSurrogate() && i + 1 < text.size()
                               ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                               : text.at(i).unicode();
        const int width = c > 0xFFFF ? 2 : 1;
        inEmoji = isEmojiBase(c) || (inEmoji && continuesEmoji(c));
        if (!(inEmoji && c == 0xFE0F))
            out += text.mid(i, width);
        i += width - 1;
    }
    return out;
}

QList<QTextLayout::FormatRange> formats(const QString& text)
{
    QList<QTextLayout::FormatRange> out;
    if (colorFamily().isEmpty())
        return out;
    QTextCharFormat format;
    format.setFontFamilies(QStringList{colorFamily()});
    int i = 0;
    while (i < text.size()) {
        const char32_t c = text.at(i).isHighSurrogate() && i + 1 < text.size()
                               ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                               : text.at(i).unicode();
        const int width = c > 0xFFFF ? 2 : 1;
        const bool base = isEmojiBase(c);
        if (base || (continuesEmoji(c) && !out.isEmpty() && out.last().start + out.last().length == i)) {
            if (!out.isEmpty() && out.last().start + out.last().length == i)
                out.last().length += width;
            else
                out.append({i, width, format});
        }
        i += width;
    }
    return out;
}

namespace {

void layOut(QTextLayout& layout)
{
    layout.setFormats(formats(layout.text()));
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
}

} // namespace

ExactSize exactSize(const QFont& font)
{
    if (font.pixelSize() > 0 || font.pointSizeF() <= 0)
        return {font, 1.0};
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const double px = font.pointSizeF() * dpi / 72.0;
    if (std::abs(px - std::round(px)) < 0.01)
        return {font, 1.0};
    QFont big = font;
    big.setPixelSize(static_cast<int>(std::lround(px * 2.0)));
    return {big, px / big.pixelSize()};
}

double lineWidth(const QString& text, const QFont& font)
{
    const ExactSize exact = exactSize(font);
    QTextLayout layout(forColourFace(text), exact.font);
    layOut(layout);
    return layout.lineCount() ? layout.lineAt(0).naturalTextWidth() * exact.scale : 0.0;
}

void drawLine(QPainter& painter, const QRectF& rect, Qt::Alignment align, const QString& text, const QFont& font)
{
    const ExactSize exact = exactSize(font);
    QTextLayout layout(forColourFace(text), exact.font);
    layOut(layout);
    if (!layout.lineCount())
        return;
    const QTextLine line = layout.lineAt(0);
    const double width = line.naturalTextWidth() * exact.scale;
    const double height = line.height() * exact.scale;
    double x = rect.left();
    if (align & Qt::AlignHCenter)
        x = rect.center().x() - width / 2;
    else if (align & Qt::AlignRight)
        x = rect.right() - width;
    double y = rect.top();
    if (align & Qt::AlignVCenter)
        y = rect.center().y() - height / 2;
    else if (align & Qt::AlignBottom)
        y = rect.bottom() - height;
    if (exact.scale == 1.0) {
        layout.draw(&painter, QPointF(x, y));
        return;
    }
    painter.save();
    painter.translate(x, y);
    painter.scale(exact.scale, exact.scale);
    layout.draw(&painter, QPointF(0, 0));
    painter.restore();
}

} // namespace plovane::emoji
