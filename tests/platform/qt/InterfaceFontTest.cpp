#include "TestSupport.h"
#include "platform/qt/EmojiText.h"
#include "platform/qt/InterfaceFont.h"
#include "platform/qt/QtFontManager.h"
#include "settings/DiveState.h"
#include "settings/FontRegistrar.h"
#include "settings/Strings.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <filesystem>

using namespace plovane;

namespace {
int argc = 1;
char arg0[] = "interface-font-test";
char* argv[] = {arg0, nullptr};

const QString kCutFamily = QStringLiteral("Plovane Sans CJK SC");

QFont sized(QFont::Weight weight)
{
    QFont f = fonts::interfaceFont();
    f.setPixelSize(13);
    f.setWeight(weight);
    return f;
}

// How much ink the text leaves on white: the sum of its darkness over every pixel.
long long ink(const QString& text, const QFont& font)
{
    QImage image(240, 40, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(4, 28), text);
    p.end();
    long long sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += 255 - qGray(image.pixel(x, y));
    return sum;
}

// The glyph runs of `text` as the HUD and the report set it: emoji in the colour face.
QList<QGlyphRun> runs(const QString& text, const QFont& font)
{
    const QString shown = emoji::forColourFace(text);
    QTextLayout layout(shown, font);
    layout.setFormats(emoji::formats(shown));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

// Whether the run leaves any mark: a variation selector is a glyph of no width, from
// whichever face has one.
bool visible(const QGlyphRun& run)
{
    for (const QPointF& advance : run.rawFont().advancesForGlyphIndexes(run.glyphIndexes()))
        if (advance.x() > 0)
            return true;
    return false;
}

QString zh(const std::string& text) { return QString::fromStdString(text); }

} // namespace

// Titles set semibold or bold are bold in Chinese too, not only in their Latin letters.
// The program's own Chinese comes from the small cut of the Chinese face; Latin keeps the
// desktop's own face.
TEST(InterfaceFont, ChineseKeepsTheSmallFacesWeightAndLatinItsFace)
{
    QGuiApplication app(argc, argv);
    std::filesystem::current_path(test::sourceDir());
    QtFontManager manager;
    FontRegistrar::registerEmbeddedFonts(manager);
    ASSERT_TRUE(fonts::cjkFamilies().contains(kCutFamily)) << "scripts/deps.sh makes it";

    QFont plain = QGuiApplication::font();
    plain.setPixelSize(13);
    const QString latin = QFontInfo(plain).family();
    EXPECT_EQ(QFontInfo(sized(QFont::Normal)).family(), latin);
    EXPECT_DOUBLE_EQ(QFontMetricsF(sized(QFont::Normal)).horizontalAdvance("AI IDE Sensing (Beta)"),
                     QFontMetricsF(plain).horizontalAdvance("AI IDE Sensing (Beta)"));

    for (const char* text : {"说明", "智能感知", "首次功能配置"}) {
        const QString t = QString::fromUtf8(text);
        EXPECT_GT(ink(t, sized(QFont::DemiBold)), 1.2 * ink(t, sized(QFont::Normal))) << text;
        EXPECT_GT(ink(t, sized(QFont::Bold)), 1.2 * ink(t, sized(QFont::Normal))) << text;
    }

    QStringList titles{zh(Strings::firstRunAiTitle(Language::zh)), zh(Strings::firstRunNotesHeading(Language::zh)),
                       zh(Strings::reportTitle(Language::zh)), zh(Strings::statusTitle(DiveState::flow, true, Language::zh))};
    for (DiveState state : allCases<DiveState>())
        titles << zh(Strings::statusTitle(state, false, Language::zh));
    for (const QString& title : titles) {
        for (QFont::Weight weight : {QFont::Normal, QFont::DemiBold, QFont::Bold}) {
            for (const QGlyphRun& run : runs(emoji::leadingEmoji(title), sized(weight)))
                if (visible(run)) {
                    EXPECT_EQ(run.rawFont().familyName(), emoji::colorFamily()) << title.toStdString();
                }
            for (const QGlyphRun& run : runs(title, sized(weight))) {
                if (!visible(run))
                    continue;
                // Emoji come from the colour font, everything else from these two.
                const QRawFont face = run.rawFont();
                EXPECT_TRUE(face.familyName() == latin || face.familyName() == kCutFamily ||
                            face.familyName() == emoji::colorFamily())
                    << title.toStdString() << " in " << face.familyName().toStdString();
                if (face.familyName() == kCutFamily) {
                    EXPECT_EQ(face.styleName(), weight == QFont::Normal ? "Regular" : "Bold") << title.toStdString();
                }
            }
        }
    }

    // Every Chinese character of the tips has its glyph in the small face.
    const QRawFont cut(QString::fromStdString(FontRegistrar::candidatePaths("PlovaneSansCJK-Regular.otf").back()), 13);
    ASSERT_TRUE(cut.isValid());
    std::vector<std::string> tips = Strings::researchAdvicePool(Language::zh);
    for (const auto& pool : {Strings::flowAdvicePool(Language::zh), Strings::restingAdvicePool(Language::zh),
                             Strings::hoveringTriviaPool(Language::zh)})
        for (const auto& [target, texts] : pool)
            tips.insert(tips.end(), texts.begin(), texts.end());
    for (const auto& more : {Strings::chaosAdvicePool(Language::zh), Strings::generalTriviaPool(Language::zh)})
        tips.insert(tips.end(), more.begin(), more.end());
    for (const std::string& tip : tips)
        for (char32_t c : QString::fromStdString(tip).toUcs4())
            if (c >= 0x2E80 && c < 0x1F000) {
                EXPECT_TRUE(cut.supportsCharacter(c)) << tip;
            }
}
