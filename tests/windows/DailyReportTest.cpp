#include "WindowsTestRig.h"

#include "windows/DailyReportView.h"
#include "windows/ReportFormat.h"
#include "windows/SecondaryWindows.h"
#include "windows/WindowStyle.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QPainter>
#include <QScrollArea>
#include <QTextBoundaryFinder>
#include <QScrollBar>

using namespace plovane;
using namespace plovane::test;
using namespace plovane::windows;

TEST(ReportFormat, DurationsDropLeftoverSeconds)
{
    const std::pair<long long, const char*> cases[] = {{0, "0s"},       {45, "45s"},     {59, "59s"},   {60, "1m"},
                                                        {125, "2m"},     {3599, "59m"},   {3600, "1h0m"}, {3661, "1h1m"},
                                                        {3725, "1h2m"},  {7200, "2h0m"},  {36000, "10h0m"},
                                                        {86399, "23h59m"}};
    for (const auto& [s, text] : cases) {
        EXPECT_EQ(formatDuration(s), text) << s;
        EXPECT_EQ(AppRankRow::formatDuration(s), text) << s;
    }
}

TEST(ReportFormat, DatePatternsMapToQtLettersInBothLocales)
{
    EXPECT_EQ(qtDatePattern(QString::fromUtf8("yyyy年M月d日 EEEE")), QString::fromUtf8("yyyy年M月d日 dddd"));
    EXPECT_EQ(qtDatePattern("EEEE, MMM d"), "dddd, MMM d");
    EXPECT_EQ(qtDatePattern("EEE d 'at' HH:mm"), "ddd d 'at' HH:mm");
    // A letter that means nothing in the common pattern stays a literal.
    EXPECT_EQ(qtDatePattern("d G"), "d 'G'");

    const QDateTime monday(QDate(2026, 12, 7), QTime(9, 30));
    EXPECT_EQ(formattedDate(Language::zh, monday), QString::fromUtf8("2026年12月7日 星期一"));
    EXPECT_EQ(formattedDate(Language::en, monday), "Monday, Dec 7");
    const QDateTime sunday(QDate(2027, 3, 14), QTime(23, 59));
    EXPECT_EQ(formattedDate(Language::zh, sunday), QString::fromUtf8("2027年3月14日 星期日"));
    EXPECT_EQ(formattedDate(Language::en, sunday), "Sunday, Mar 14");
}

TEST(ReportRows, NamesBarsAndRankColours)
{
    EXPECT_EQ(displayName("Sixteen chars ok"), "Sixteen chars ok");
    EXPECT_EQ(displayName("Seventeen chars!!"), QString::fromUtf8("Seventeen chars!…"));
    // Cut by user-perceived characters, never inside one.
    const QString flags = QString::fromUtf8("🇨🇳🇺🇸👩‍💻👍🏽🇨🇳🇺🇸👩‍💻👍🏽🇨🇳🇺🇸👩‍💻👍🏽🇨🇳🇺🇸👩‍💻👍🏽😀");
    EXPECT_EQ(displayName(flags), flags.left(flags.size() - 2) + QChar(0x2026));
    // A family of four joined into one picture, and letters with combining accents.
    const QString family = QString::fromUtf8("👨‍👩‍👧‍👦");
    EXPECT_EQ(displayName(family.repeated(17)), family.repeated(16) + QChar(0x2026));
    const QString accented = QString::fromUtf8("e\u0301");
    EXPECT_EQ(displayName(accented.repeated(16)), accented.repeated(16));
    EXPECT_EQ(displayName(accented.repeated(17)), accented.repeated(16) + QChar(0x2026));
    EXPECT_EQ(displayName(QString::fromUtf8("微信微信微信微信微信微信微信微信")), QString::fromUtf8("微信微信微信微信微信微信微信微信"));
    EXPECT_EQ(displayName(QString::fromUtf8("微信微信微信微信微信微信微信微信微")),
              QString::fromUtf8("微信微信微信微信微信微信微信微信…"));

    EXPECT_DOUBLE_EQ(StateBarRow::fillWidth(232, 0.0), 6.0);
    EXPECT_DOUBLE_EQ(StateBarRow::fillWidth(232, 0.5), 116.0);
    EXPECT_DOUBLE_EQ(AppRankRow::fillWidth(150, 1, 100000), 4.0);
    EXPECT_DOUBLE_EQ(AppRankRow::fillWidth(150, 500, 500), 150.0);

    EXPECT_TRUE(near(AppRankRow::rankColor(1), systemColor(Hue::yellow, Appearance::dark), 0));
    EXPECT_TRUE(near(AppRankRow::rankColor(2), QColor::fromRgbF(0.75f, 0.75f, 0.80f), 1));
    EXPECT_TRUE(near(AppRankRow::rankColor(3), QColor::fromRgbF(0.80f, 0.55f, 0.30f), 1));
    for (int rank : {4, 7}) {
        EXPECT_TRUE(near(AppRankRow::rankColor(rank), Qt::white, 0));
        EXPECT_NEAR(AppRankRow::rankColor(rank).alphaF(), 0.4, 0.01);
    }
}

namespace {

QImage drawnRow(const std::string& name, double width = 288)
{
    QImage image(static_cast<int>(width), 28, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(20, 22, 40));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    AppRankRow{4, DailyStats::AppUsage{"org.example.app", name, 60}, 600, {}}.paint(
        p, QRectF(0, 2, width, AppRankRow::height()));
    return image;
}

// The part of a drawn row the name takes: above the bar, as wide as the bar.
QRectF nameArea(double width = 288)
{
    const QRectF bar = AppRankRow::barRect(QRectF(0, 2, width, AppRankRow::height()), "1m");
    return {bar.left(), 2, bar.width() + 12, bar.top() - 3 - 2};
}

// The last column in `area` with anything but the background in it.
int rightmostInk(const QImage& image, const QRectF& area)
{
    for (int x = static_cast<int>(area.right()); x >= static_cast<int>(area.left()); --x)
        for (int y = static_cast<int>(area.top()); y < static_cast<int>(area.bottom()); ++y)
            if (!near(image.pixelColor(x, y), QColor(20, 22, 40), 30))
                return x;
    return -1;
}

} // namespace

// Emoji in application names are drawn in colour like the rest of the report, a joined
// sequence as one picture; a name too wide for its column is cut between whole characters.
TEST(ReportRows, AppNamesDrawColourEmojiAndCutBetweenCharacters)
{
    testApp();
    const auto colourful = [](QColor c) { return c.hsvSaturation() > 100 && c.value() > 60; };
    // Text faces carry outlines of a few of these (cat, monkey): colour wins. (No Latin
    // letters beside them: their smoothing has coloured fringes.)
    for (const char* name : {"🐱", "微信🐵"})
        EXPECT_GT(countPixels(drawnRow(name), nameArea(), colourful), 20) << name;
    const double dog = rightmostInk(drawnRow("🐶"), nameArea()) - nameArea().left();
    const double family = rightmostInk(drawnRow("👨‍👩‍👧‍👦"), nameArea()) - nameArea().left();
    EXPECT_GT(dog, 8);
    EXPECT_NEAR(family, dog, 4) << "one picture, not four people and three joiners";

    // Cut to the column: whole pictures and characters, then the ellipsis.
    const QFont font = systemFont(11, QFont::Medium);
    const QString fam = QString::fromUtf8("👨‍👩‍👧‍👦");
    const QString ellipsis(QChar(0x2026));
    EXPECT_EQ(elideRichText(font, fam.repeated(3), richTextWidth(font, fam + ellipsis)), fam + ellipsis);
    EXPECT_EQ(elideRichText(font, fam.repeated(2), richTextWidth(font, fam.repeated(2))), fam.repeated(2));
    const QString mixed = QString::fromUtf8("微信🇨🇳👍🏽 Café e\u0301tude 微信🇨🇳👍🏽");
    const double narrow = std::floor(richTextWidth(font, mixed) * 0.6); // whatever the desktop's face
    const QString cut = elideRichText(font, mixed, narrow);
    EXPECT_LE(richTextWidth(font, cut), narrow);
    ASSERT_TRUE(cut.endsWith(ellipsis));
    EXPECT_TRUE(mixed.startsWith(cut.chopped(1)));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, mixed);
    graphemes.setPosition(cut.size() - 1);
    EXPECT_TRUE(graphemes.isAtBoundary()) << cut.toStdString();
    const QImage row = drawnRow(mixed.repeated(2).toStdString(), 200);
    EXPECT_LE(rightmostInk(row, nameArea(200)), AppRankRow::barRect(QRectF(0, 2, 200, AppRankRow::height()), "1m").right());
}

namespace {

struct ReportFixture : ::testing::Test {
    WindowsRig rig;
    std::unique_ptr<SecondaryWindow> window;
    DailyReportView* view{nullptr};

    void open()
    {
        window = openDailyReportWindow(*rig.engine, rig.env());
        view = static_cast<DailyReportView*>(window->content());
        rig.settle();
    }
};

} // namespace

TEST_F(ReportFixture, NothingTrackedShowsTheEmptyTexts)
{
    open();
    const auto& m = view->model();
    EXPECT_EQ(m.total, "0s");
    EXPECT_TRUE(m.states.empty());
    EXPECT_TRUE(m.apps.empty());
    EXPECT_EQ(m.date, "Monday, Dec 7");
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Daily Report 📊"));
}

TEST_F(ReportFixture, RowsFollowTableOrderWithSharesOfTheDay)
{
    rig.setStats({{"Chaos", 200}, {"Flow", 600}, {"Mystery", 200}});
    open();
    const auto& m = view->model();
    ASSERT_EQ(m.states.size(), 2u);
    EXPECT_EQ(m.states[0].label, "Coding");
    EXPECT_EQ(m.states[1].label, "Chaos");
    // The state no row shows still counts in the total.
    EXPECT_DOUBLE_EQ(m.states[0].ratio, 0.6);
    EXPECT_DOUBLE_EQ(m.states[1].ratio, 0.2);
    EXPECT_EQ(m.states[0].duration, "10m");
    EXPECT_EQ(m.states[1].duration, "3m");
    EXPECT_EQ(m.total, "16m");

    rig.setStats({{"Chaos", 200}, {"Flow", 600}});
    rig.settle();
    EXPECT_DOUBLE_EQ(view->model().states[0].ratio, 0.75);
    EXPECT_DOUBLE_EQ(view->model().states[1].ratio, 0.25);
}

TEST_F(ReportFixture, FollowsTheEngineButRebuildsOnlyWhenTheShownValuesChange)
{
    rig.icons["org.vim.gvim"] = "/usr/share/pixmaps/debian-logo.png";
    rig.setStats({{"Flow", 600}}, {{"org.vim.gvim", {"GVim", 600}}});
    open();
    const int rebuilds = view->rebuildCount();
    const int loads = view->imageLoads();
    const auto stars = view->stars();

    // A second more changes neither "10m" nor any bar: nothing is rebuilt or reloaded.
    rig.setStats({{"Flow", 601}}, {{"org.vim.gvim", {"GVim", 601}}});
    rig.settle();
    EXPECT_EQ(view->rebuildCount(), rebuilds);

    // A minute later the figures change: one rebuild, new stars, no image read again.
    rig.setStats({{"Flow", 660}}, {{"org.vim.gvim", {"GVim", 660}}});
    rig.settle();
    EXPECT_EQ(view->rebuildCount(), rebuilds + 1);
    EXPECT_EQ(view->model().states[0].duration, "11m");
    EXPECT_EQ(view->imageLoads(), loads);
    bool starsChanged = false;
    for (std::size_t i = 0; i < stars.size(); ++i) {
        const auto& s = view->stars()[i];
        EXPECT_GE(s.opacity, 0.1);
        EXPECT_LE(s.opacity, 0.35);
        EXPECT_GE(s.size, 1.5);
        EXPECT_LE(s.size, 3.5);
        starsChanged |= s.opacity != stars[i].opacity || s.size != stars[i].size;
    }
    EXPECT_TRUE(starsChanged);

    // The language changes every text at once, the window's title too.
    rig.language->language = Language::zh;
    rig.settle();
    EXPECT_EQ(view->model().states[0].label, QString::fromUtf8("搬砖中"));
    EXPECT_EQ(view->model().date, QString::fromUtf8("2026年12月7日 星期一"));
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("今日日报 📊"));

    // Bars that move while every text stays: the cards repaint, the header keeps its stars.
    rig.setStats({{"Flow", 600}, {"Chaos", 200}});
    rig.settle();
    const int before = view->rebuildCount();
    const auto starsNow = view->stars();
    rig.setStats({{"Flow", 600}, {"Chaos", 230}});
    rig.settle();
    EXPECT_EQ(view->rebuildCount(), before);
    EXPECT_NEAR(view->model().states[1].ratio, 230.0 / 830.0, 1e-9);
    EXPECT_EQ(view->stars()[0].size, starsNow[0].size);

    // Hidden, it stops following the engine.
    window->close();
    rig.settle();
    const int hidden = view->rebuildCount();
    rig.setStats({{"Flow", 900}});
    rig.settle();
    EXPECT_EQ(view->rebuildCount(), hidden);
}

TEST_F(ReportFixture, SpriteFallsBackToStillThenToSymbol)
{
    open();
    EXPECT_TRUE(view->showsSprite());
    rig.settings->characterID = CharacterID::custom("none-of-the-three");
    rig.engine->dailyStats.modify([](DailyStats& s) { s.stateDurations["Flow"] = 5; });
    rig.settle();
    EXPECT_FALSE(view->showsSprite());
    const QImage page = view->renderPage();
    // "person.fill" stands in the sprite's place at the header's foot.
    EXPECT_GT(countPixels(page, QRectF(120, 70, 80, 75), [](QColor c) { return c.lightness() > 200; }), 50);
}

namespace {

void stageSevenApps(WindowsRig& rig)
{
    rig.icons = {{"org.vim.gvim", "/usr/share/icons/hicolor/48x48/apps/gvim.png"},
                 {"org.openbox", "/usr/share/pixmaps/openbox.png"},
                 {"org.mozilla.firefox", "/usr/share/pixmaps/debian-logo.png"},
                 {"org.gnome.Terminal", "utilities-terminal"},
                 {"com.example.chat", "/usr/share/icons/hicolor/48x48/apps/openjdk-17.png"},
                 {"org.example.music", "audio-x-generic"}};
    rig.setStats({{"Flow", 5400}, {"Research", 1900}, {"Hovering", 620}, {"Resting", 900}, {"Chaos", 45},
                  {"Critical", 300}},
                 {{"org.vim.gvim", {"GVim", 4100}},
                  {"org.mozilla.firefox", {"Firefox", 1500}},
                  {"org.gnome.Terminal", {"Terminal", 1200}},
                  {"com.example.chat", {"A chat program with a long name", 800}},
                  {"org.openbox", {"Openbox", 300}},
                  {"org.example.noicon", {"微信 🐵 Uninstalled", 59}},
                  {"org.example.music", {"👨‍👩‍👧‍👦 家庭相册 🇨🇳 Family Album", 20}}});
}

} // namespace

class ReportGallery : public ::testing::TestWithParam<Language> {};

TEST_P(ReportGallery, EmptyTwoStatesAndSevenApps)
{
    const Language lang = GetParam();
    WindowsRig rig(lang);
    auto window = openDailyReportWindow(*rig.engine, rig.env());
    auto* view = static_cast<DailyReportView*>(window->content());
    rig.settle();
    EXPECT_EQ(window->size(), QSize(320, 520));
    QImage image = render(*window);
    // The header's purple gradient and the sprite over it.
    EXPECT_TRUE(near(image.pixelColor(2, 2), QColor::fromRgbF(0.38f, 0.22f, 0.72f), 10));
    saveToGallery(image, "report-empty-" + suffix(lang));

    rig.setStats({{"Flow", 600}, {"Chaos", 200}});
    rig.settle();
    saveToGallery(render(*window), "report-two-states-" + suffix(lang));

    stageSevenApps(rig);
    rig.settle();
    ASSERT_EQ(view->model().apps.size(), 7u);
    EXPECT_EQ(view->model().apps.front().name, "GVim");
    EXPECT_EQ(view->model().maxSec, 4100);
    // Taller than the window: it scrolls, without a scroll bar.
    EXPECT_GT(view->pageHeight(), 520);
    EXPECT_EQ(view->scrollArea().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    image = render(*window);
    saveToGallery(image, "report-seven-apps-" + suffix(lang));
    const QImage page = view->renderPage();
    // The row without an icon keeps a 20 × 20 placeholder in line with the others.
    saveToGallery(page, "report-seven-apps-page-" + suffix(lang));
    view->scrollArea().verticalScrollBar()->setValue(view->scrollArea().verticalScrollBar()->maximum());
    saveToGallery(render(*window), "report-seven-apps-scrolled-" + suffix(lang));
}

INSTANTIATE_TEST_SUITE_P(Languages, ReportGallery, ::testing::Values(Language::en, Language::zh),
                         [](const auto& info) { return info.param == Language::zh ? "zh" : "en"; });
