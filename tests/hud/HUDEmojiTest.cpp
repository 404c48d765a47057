// Emoji in the HUD's texts are drawn from the colour emoji font at the sizes the views
// use, never as a text font's monochrome outline; fractional sizes stay fractional.

#include "HUDTestRig.h"

#include "hud/HUDStyle.h"
#include "hud/HUDTexts.h"
#include "platform/qt/EmojiText.h"
#include "platform/qt/SymbolImage.h"
#include "settings/Strings.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>

#include <gtest/gtest.h>

#include <set>

using namespace plovane;
using namespace plovane::test;

namespace {

const QColor kPen(0, 255, 0);

// Drawn pixels, and those of them that are not the pen's colour (a monochrome glyph has none).
std::pair<int, int> drawnAndColoured(const QImage& image)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    int drawn = 0, coloured = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) < 120)
                continue;
            ++drawn;
            coloured += (qRed(p) > 70 || qBlue(p) > 70 || qGreen(p) < 150) ? 1 : 0;
        }
    return {drawn, coloured};
}

std::set<QString> emojiInTexts()
{
    std::vector<std::string> texts;
    for (Language lang : {Language::en, Language::zh}) {
        for (DiveState state : {DiveState::flow, DiveState::research, DiveState::chaos, DiveState::hovering,
                                DiveState::critical, DiveState::resting}) {
            texts.push_back(Strings::statusTitle(state, false, lang));
            texts.push_back(Strings::statusTitle(state, true, lang));
            for (bool on : {false, true})
                for (const hud::MenuEntry& e : hud::contextMenuEntries({lang, state, on, on, on}))
                    texts.push_back(e.title);
        }
        texts.push_back(hud::welcomeMessage(lang, 45));
        texts.push_back(hud::welcomeButtonTitle(lang));
    }
    texts.push_back("❓🎵"); // the knock and music badges
    std::set<QString> found;
    for (const std::string& t : texts) {
        const QString text = QString::fromStdString(t);
        for (const auto& range : emoji::formats(text))
            found.insert(text.mid(range.start, range.length));
    }
    return found;
}

} // namespace

TEST(HUDEmoji, EveryEmojiTheTextsUseIsDrawnInColourAtTheViewsSizes)
{
    testApp();
    ASSERT_FALSE(emoji::colorFamily().isEmpty()) << "the test desktop has a colour emoji font";
    const std::set<QString> found = emojiInTexts();
    for (const char* sample : {"😎", "☕", "💀", "🔥", "👌", "🤯", "📊", "❓"}) {
        const QString e = QString::fromUtf8(sample);
        EXPECT_TRUE(found.count(e) || found.count(e + QChar(0xFE0F))) << sample << " is among the texts' emoji";
    }
    for (const QString& e : found) {
        for (double size : {9.5, 10.5, 11.0, 14.0}) {
            QImage image(48, 32, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            hud::drawCachedText(p, QRectF(2, 2, 44, 28), Qt::AlignLeft, e, hud::systemFont(size, QFont::Bold), kPen);
            p.end();
            const auto [drawn, coloured] = drawnAndColoured(image);
            EXPECT_GT(drawn, 6) << e.toStdString() << " at " << size;
            EXPECT_GT(coloured, drawn / 4) << e.toStdString() << " at " << size << " is a monochrome outline";
        }
    }
}

TEST(HUDEmoji, ButtonSymbolsAreColourEmojiNotSmudges)
{
    testApp();
    for (const char* symbol : {"cup.and.saucer.fill", "hammer.fill"}) {
        QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        SymbolImage::paint(p, QString::fromLatin1(symbol), QRectF(4, 4, 11, 11), kPen);
        p.end();
        const auto [drawn, coloured] = drawnAndColoured(image);
        EXPECT_GT(drawn, 20) << symbol << " fills its square";
        EXPECT_GT(coloured, drawn / 4) << symbol;
    }
}

TEST(HUDEmoji, FractionalFontSizesAreKept)
{
    testApp();
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    for (double size : {9.5, 10.5, 11.0})
        EXPECT_NEAR(hud::systemFont(size).pointSizeF() * dpi / 72.0, size, 1e-6);
    // And they lay out between their whole neighbours.
    const QString text = QStringLiteral("Your PFC guardian is online! May the Vibe be with you");
    auto width = [&](double size) { return emoji::lineWidth(text, hud::systemFont(size)); };
    EXPECT_LT(width(10.0), width(10.5)) << width(10.0) << " " << width(10.5);
    EXPECT_LT(width(10.5), width(11.0)) << width(10.5) << " " << width(11.0);
}
