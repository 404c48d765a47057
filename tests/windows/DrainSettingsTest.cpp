#include "WindowsTestRig.h"

#include "windows/DrainRules.h"
#include "windows/PFCDrainSettingsView.h"
#include "windows/SecondaryWindows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace plovane;
using namespace plovane::test;
using namespace plovane::windows;

TEST(DrainRules, SurvivalFigureIsRoundedSessionLengthAndColouredByIt)
{
    EXPECT_EQ(estimatedMinutes(45), 45);
    EXPECT_EQ(estimatedMinutes(22.5), 23); // halves away from zero
    EXPECT_EQ(estimatedMinutes(22.4), 22);
    EXPECT_EQ(estimatedMinutes(0.3), 1); // never below one minute
    EXPECT_EQ(estimatedMinutes(10), 10); // outside the slider's range, shown as stored
    EXPECT_EQ(estimatedMinutes(std::numeric_limits<double>::infinity()), 9999);
    EXPECT_EQ(estimatedMinutes(std::nan("")), 45);

    EXPECT_EQ(timeColor(20), Hue::red);
    for (int m : {25, 30, 35})
        EXPECT_EQ(timeColor(m), Hue::orange) << m;
    for (int m : {40, 45, 120})
        EXPECT_EQ(timeColor(m), Hue::green) << m;
    EXPECT_EQ(timeColor(estimatedMinutes(22.5)), Hue::orange);
    EXPECT_EQ(timeColor(estimatedMinutes(0.3)), Hue::red);

    EXPECT_EQ(wholeRestMinutes(10), 10);
    EXPECT_EQ(wholeRestMinutes(10.9), 10);
}

TEST(DrainRules, PreviewBarColourAndWidth)
{
    EXPECT_EQ(barColor(60), Hue::orange);
    EXPECT_EQ(barColor(60.01), Hue::green);
    EXPECT_EQ(barColor(25), Hue::red);
    EXPECT_EQ(barColor(25.01), Hue::orange);
    EXPECT_DOUBLE_EQ(previewFillWidth(0), 4.0);
    EXPECT_DOUBLE_EQ(previewFillWidth(100), 64.0);
    EXPECT_DOUBLE_EQ(previewFillWidth(50), 32.0);
    EXPECT_NEAR(previewLevelAfter(1), 91.67, 0.01);
    EXPECT_NEAR(previewLevelAfter(4), 66.67, 0.01);
    EXPECT_NEAR(previewLevelAfter(9), 25.0, 1e-9);
    EXPECT_DOUBLE_EQ(previewLevelAfter(12), 0.0);
}

namespace {

struct DrainFixture : ::testing::Test {
    WindowsRig rig;
    std::unique_ptr<SecondaryWindow> window;
    PFCDrainSettingsView* view{nullptr};

    void open()
    {
        window = openDrainSettingsWindow(rig.env());
        view = static_cast<PFCDrainSettingsView*>(window->content());
        rig.settle();
    }
};

} // namespace

TEST_F(DrainFixture, SessionSliderWritesTheSettingAndPlaysOneDrainRun)
{
    open();
    EXPECT_EQ(view->survivalText(), "45");
    EXPECT_TRUE(near(view->survivalColor(), systemColor(Hue::green, paletteAppearance())));
    EXPECT_FALSE(view->previewRunning());

    view->sessionSlider().setValue(25 / 5);
    EXPECT_DOUBLE_EQ(rig.settings->sessionMinutes.get(), 25.0);
    EXPECT_DOUBLE_EQ(rig.defaults->doubleForKey("quellin.session_minutes"), 25.0);
    rig.settle();
    EXPECT_EQ(view->survivalText(), "25");
    EXPECT_TRUE(near(view->survivalColor(), systemColor(Hue::orange, paletteAppearance())));
    EXPECT_TRUE(view->previewRunning());
    EXPECT_DOUBLE_EQ(view->previewO2(), 100.0);

    // Twelve steps 0.15 s apart; the bar follows each with its ease.
    rig.advance(0.15 * 4 + 0.01, &view->animationDriver());
    EXPECT_NEAR(view->previewO2(), 66.67, 0.01);
    rig.advance(0.15 * 8, &view->animationDriver());
    EXPECT_DOUBLE_EQ(view->previewO2(), 0.0);
    EXPECT_FALSE(view->previewRunning());
    // The bar has all but emptied when the refill comes, 0.4 s after the last step.
    rig.advance(0.35, &view->animationDriver());
    EXPECT_LT(view->presentedBarLevel(), 10.0);
    EXPECT_DOUBLE_EQ(view->previewO2(), 0.0);
    rig.advance(0.1, &view->animationDriver());
    EXPECT_DOUBLE_EQ(view->previewO2(), 100.0);
    rig.advance(1.0, &view->animationDriver());
    EXPECT_NEAR(view->presentedBarLevel(), 100.0, 0.01);
}

// The preview's colour is the step's: orange from the fifth step (58.33), red from the
// ninth (25), eased in while the width is still on its way down.
TEST_F(DrainFixture, PreviewColourFollowsTheStepNotTheEasedWidth)
{
    open();
    const auto colour = [](Hue hue) { return systemColor(hue, paletteAppearance()); };
    EXPECT_TRUE(near(view->presentedBarColor(), colour(Hue::green)));
    view->sessionSlider().setValue(25 / 5);
    rig.settle();
    rig.advance(0.15 * 4 + 0.01, &view->animationDriver());
    EXPECT_TRUE(near(view->presentedBarColor(), colour(Hue::green)));
    // Half a second after the fifth step: orange, though the bar still shows more than 60.
    rig.advance(0.15 + 0.5, &view->animationDriver());
    EXPECT_GT(view->presentedBarLevel(), 60.0);
    EXPECT_TRUE(near(view->presentedBarColor(), colour(Hue::orange)));
    // And half a second after the ninth: red, with the bar still above 25.
    rig.advance(0.15 * 4, &view->animationDriver());
    EXPECT_GT(view->presentedBarLevel(), 25.0);
    EXPECT_TRUE(near(view->presentedBarColor(), colour(Hue::red)));
    // The refill brings green back with the level.
    rig.advance(0.15 * 3 + 0.4 + 0.6, &view->animationDriver());
    EXPECT_TRUE(near(view->presentedBarColor(), colour(Hue::green)));
}

TEST_F(DrainFixture, RecoverySliderWritesRestMinutesWithoutPreview)
{
    open();
    EXPECT_EQ(view->restText(), "10 min");
    view->restSlider().setValue(30);
    rig.settle();
    EXPECT_DOUBLE_EQ(rig.settings->restMinutes.get(), 30.0);
    EXPECT_EQ(view->restText(), "30 min");
    EXPECT_FALSE(view->previewRunning());
    EXPECT_DOUBLE_EQ(view->previewO2(), 100.0);
}

TEST_F(DrainFixture, StoredValuesOffTheGridShowAsStoredAndAreNotRewritten)
{
    rig.settings->sessionMinutes = 22.5;
    rig.settings->restMinutes = 10.9;
    open();
    EXPECT_EQ(view->survivalText(), "23");
    EXPECT_EQ(view->restText(), "10 min");
    EXPECT_DOUBLE_EQ(rig.settings->sessionMinutes.get(), 22.5);
    EXPECT_DOUBLE_EQ(rig.settings->restMinutes.get(), 10.9);
}

TEST_F(DrainFixture, ClosingStopsTheRunAndReopeningStartsFull)
{
    open();
    view->sessionSlider().setValue(12);
    rig.advance(0.5, &view->animationDriver());
    ASSERT_TRUE(view->previewRunning());
    window->close();
    rig.settle();
    EXPECT_FALSE(view->previewRunning());
    EXPECT_FALSE(view->animationDriver().isRunning());

    open();
    EXPECT_DOUBLE_EQ(view->previewO2(), 100.0);
    EXPECT_FALSE(view->previewRunning());
}

TEST_F(DrainFixture, MissingSpriteShowsTheDogSymbol)
{
    rig.settings->characterID = CharacterID::custom("nowhere");
    open();
    EXPECT_FALSE(view->showsSprite());
    const QImage image = render(*window);
    EXPECT_GT(countPixels(image, view->spriteRect(), [](QColor c) { return c.saturation() > 60; }), 30);
}

class DrainGallery : public ::testing::TestWithParam<Language> {};

TEST_P(DrainGallery, DefaultAndSliderEnds)
{
    const Language lang = GetParam();
    WindowsRig rig(lang);
    auto window = openDrainSettingsWindow(rig.env());
    auto* view = static_cast<PFCDrainSettingsView*>(window->content());
    rig.settle();
    EXPECT_EQ(window->windowTitle(), lang == Language::zh ? QString::fromUtf8("扣血机制") : "Drain Settings");
    ASSERT_TRUE(view->showsSprite());
    QImage image = render(*window);
    // The preview bar is full and green; the figure is green.
    const QColor green = systemColor(Hue::green, paletteAppearance());
    EXPECT_GT(countPixels(image, view->previewBarRect().adjusted(1, 2, -1, -2), [&](QColor c) { return near(c, green, 20); }),
              100);
    EXPECT_GT(countPixels(image, view->survivalRect(), [&](QColor c) { return near(c, green, 30); }), 40);
    // Everything fits inside the window.
    EXPECT_LE(view->survivalRect().bottom(), 480);
    saveToGallery(image, "drain-default-" + suffix(lang));

    for (int minutes : {20, 120}) {
        view->sessionSlider().setValue(minutes / 5);
        rig.advance(0.8, &view->animationDriver());
        image = render(*window);
        const QColor expected = systemColor(minutes == 20 ? Hue::red : Hue::green, paletteAppearance());
        EXPECT_GT(countPixels(image, view->survivalRect(), [&](QColor c) { return near(c, expected, 30); }), 40);
        saveToGallery(image, "drain-" + std::to_string(minutes) + "min-" + suffix(lang));
    }
    view->restSlider().setValue(3);
    rig.advance(3.0, &view->animationDriver());
    saveToGallery(render(*window), "drain-rest-3min-" + suffix(lang));
}

INSTANTIATE_TEST_SUITE_P(Languages, DrainGallery, ::testing::Values(Language::en, Language::zh),
                         [](const auto& info) { return info.param == Language::zh ? "zh" : "en"; });
