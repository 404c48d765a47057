#include "TestSupport.h"
#include "WindowsTestRig.h"

#include "platform/PermissionProbe.h"
#include "sensing/PermissionCenter.h"
#include "windows/FirstRunSetupController.h"
#include "windows/FirstRunSetupView.h"
#include "windows/SecondaryWindows.h"

#include <gtest/gtest.h>

#include <QTest>

#include <string>
#include <vector>

using namespace plovane;
using namespace plovane::test;

namespace {

struct RecordingProbe final : PermissionProbe {
    std::vector<std::string> asked;
    bool accessibilityTrusted() override { return false; }
    void requestAccessibility() override { asked.push_back("accessibility"); }
    bool screenCaptureAllowed() override { return false; }
    void requestScreenCapture() override { asked.push_back("screen"); }
    void openSettings(PermissionPane) override {}
};

void clickSwitch(FeatureToggle& toggle)
{
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, toggle.switchRect().center().toPoint());
}

struct Setup : ::testing::Test {
    WindowsRig rig;
    RecordingProbe probe;
    PermissionCenter permissions{probe};
    FirstRunSetupController controller{rig.env()};

    FirstRunSetupView& view() const { return *static_cast<FirstRunSetupView*>(controller.window()->content()); }
};

} // namespace

TEST_F(Setup, ScreenIntelligenceOnlyWithAiSensing)
{
    controller.show(*rig.settings, permissions);
    FirstRunSetupView& v = view();
    // A first launch: all off, and screen intelligence unavailable and dimmed.
    EXPECT_FALSE(v.enableAiIdeSensing());
    EXPECT_FALSE(v.screenIntelligenceSwitch().isEnabled());
    EXPECT_DOUBLE_EQ(v.screenIntelligenceSwitch().rowOpacity(), 0.55);
    clickSwitch(v.screenIntelligenceSwitch());
    EXPECT_FALSE(v.enableScreenIntelligence());

    clickSwitch(v.aiIdeSensingSwitch());
    EXPECT_TRUE(v.screenIntelligenceSwitch().isEnabled());
    EXPECT_DOUBLE_EQ(v.screenIntelligenceSwitch().rowOpacity(), 1.0);
    EXPECT_FALSE(v.enableScreenIntelligence()); // stays off until turned on
    clickSwitch(v.screenIntelligenceSwitch());
    EXPECT_TRUE(v.enableScreenIntelligence());

    clickSwitch(v.aiIdeSensingSwitch());
    EXPECT_FALSE(v.enableAiIdeSensing());
    EXPECT_FALSE(v.enableScreenIntelligence());
    EXPECT_FALSE(v.screenIntelligenceSwitch().isEnabled());
    clickSwitch(v.aiIdeSensingSwitch());
    EXPECT_FALSE(v.enableScreenIntelligence());
    // Nothing is written until Continue.
    EXPECT_FALSE(rig.settings->aiIdeSensingEnabled.get());
}

TEST_F(Setup, ContinueWritesTheSwitchesAndAsksOnlyForWhatIsOnInOrder)
{
    struct Case {
        bool ai, screen, knock;
        std::vector<std::string> asked;
    } cases[] = {{false, false, false, {}},
                 {true, false, true, {"accessibility"}},
                 {true, true, false, {"accessibility", "screen"}}};
    for (const Case& c : cases) {
        rig.settings->hasCompletedFirstRunSetup = false;
        rig.settings->knockHintEnabled = !c.knock;
        probe.asked.clear();
        controller.show(*rig.settings, permissions);
        FirstRunSetupView& v = view();
        if (c.ai)
            clickSwitch(v.aiIdeSensingSwitch());
        if (c.screen)
            clickSwitch(v.screenIntelligenceSwitch());
        if (v.enableKnockInteraction() != c.knock)
            clickSwitch(v.knockInteractionSwitch());
        QTest::mouseClick(&v.continueButton(), Qt::LeftButton);
        EXPECT_EQ(rig.settings->aiIdeSensingEnabled.get(), c.ai);
        EXPECT_EQ(rig.settings->screenIntelligenceEnabled.get(), c.screen);
        EXPECT_EQ(rig.settings->knockHintEnabled.get(), c.knock);
        EXPECT_TRUE(rig.settings->hasCompletedFirstRunSetup.get());
        EXPECT_EQ(probe.asked, c.asked);
        EXPECT_EQ(controller.window(), nullptr);
        rig.settle();
        // The reset between cases turns sensing off again.
        rig.settings->aiIdeSensingEnabled = false;
    }
}

TEST_F(Setup, ContinueLeavesTheAccessibilityRequestToTheApplicationWhenItAsks)
{
    int requested = 0;
    FirstRunSetupController asking{rig.env(), [&] { ++requested; }};
    asking.show(*rig.settings, permissions);
    auto& v = *static_cast<FirstRunSetupView*>(asking.window()->content());
    clickSwitch(v.aiIdeSensingSwitch());
    clickSwitch(v.screenIntelligenceSwitch());
    QTest::mouseClick(&v.continueButton(), Qt::LeftButton);
    EXPECT_EQ(requested, 1);
    EXPECT_EQ(probe.asked, std::vector<std::string>{"screen"});
    EXPECT_EQ(asking.window(), nullptr);
    rig.settle();
}

TEST_F(Setup, SkipKeepsFeaturesAndEndsTheFirstRun)
{
    rig.settings->knockHintEnabled = true;
    rig.settings->screenIntelligenceEnabled = true; // turns AI sensing on with it
    controller.showIfNeeded(*rig.settings, permissions);
    ASSERT_NE(controller.window(), nullptr);
    // Opened with the current settings as its positions.
    EXPECT_TRUE(view().enableAiIdeSensing());
    EXPECT_TRUE(view().enableScreenIntelligence());
    clickSwitch(view().knockInteractionSwitch());
    QTest::mouseClick(&view().skipButton(), Qt::LeftButton);
    EXPECT_TRUE(rig.settings->hasCompletedFirstRunSetup.get());
    EXPECT_TRUE(rig.settings->knockHintEnabled.get());
    EXPECT_TRUE(rig.settings->aiIdeSensingEnabled.get());
    EXPECT_TRUE(probe.asked.empty());

    // Completed: the launch opens nothing, the menu still does.
    controller.showIfNeeded(*rig.settings, permissions);
    EXPECT_EQ(controller.window(), nullptr);
    controller.show(*rig.settings, permissions);
    EXPECT_NE(controller.window(), nullptr);
}

TEST_F(Setup, SecondShowKeepsTheWindowAndCloseButtonMeansAgainNextTime)
{
    controller.showIfNeeded(*rig.settings, permissions);
    SecondaryWindow* first = controller.window();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), "First Run Setup");
    clickSwitch(view().knockInteractionSwitch());
    controller.show(*rig.settings, permissions);
    EXPECT_EQ(controller.window(), first);
    EXPECT_TRUE(view().enableKnockInteraction());

    // The language changes the texts and the title at once, and back again.
    rig.language->language = Language::zh;
    rig.settle();
    EXPECT_EQ(view().continueButton().text(), QString::fromUtf8("开始使用"));
    EXPECT_EQ(first->windowTitle(), QString::fromUtf8("首次功能配置"));
    rig.language->language = Language::en;
    rig.settle();
    EXPECT_EQ(first->windowTitle(), "First Run Setup");
    rig.language->language = Language::zh;
    rig.settle();
    EXPECT_TRUE(view().enableKnockInteraction());

    // The close button: nothing written, and the next launch shows it again.
    first->close();
    rig.settle();
    EXPECT_FALSE(rig.settings->hasCompletedFirstRunSetup.get());
    EXPECT_FALSE(rig.settings->knockHintEnabled.get());
    FirstRunSetupController nextLaunch{rig.env()};
    nextLaunch.showIfNeeded(*rig.settings, permissions);
    ASSERT_NE(nextLaunch.window(), nullptr);
    EXPECT_EQ(nextLaunch.window()->windowTitle(), QString::fromUtf8("首次功能配置"));

    // Reopened from the menu: a new window from the current settings.
    controller.show(*rig.settings, permissions);
    EXPECT_NE(controller.window(), nullptr);
    EXPECT_FALSE(view().enableKnockInteraction());
}

TEST(SecondaryWindow, FixedSizeClosableNotMinimisable)
{
    WindowsRig rig;
    auto window = openDrainSettingsWindow(rig.env());
    EXPECT_EQ(window->size(), QSize(420, 480));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_FALSE(window->isVisible());
}

class SetupGallery : public ::testing::TestWithParam<Language> {};

TEST_P(SetupGallery, EverySwitchCombination)
{
    const Language lang = GetParam();
    WindowsRig rig(lang);
    RecordingProbe probe;
    PermissionCenter permissions{probe};
    const struct {
        bool ai, screen, knock;
    } combos[] = {{false, false, false}, {false, false, true}, {true, false, false},
                  {true, false, true},   {true, true, false},  {true, true, true}};
    for (const auto& c : combos) {
        rig.settings->aiIdeSensingEnabled = c.ai;
        rig.settings->screenIntelligenceEnabled = c.screen;
        rig.settings->knockHintEnabled = c.knock;
        FirstRunSetupController controller{rig.env()};
        controller.show(*rig.settings, permissions);
        auto& v = *static_cast<FirstRunSetupView*>(controller.window()->content());
        EXPECT_EQ(controller.window()->size(), QSize(540, 360));
        EXPECT_EQ(v.enableAiIdeSensing(), c.ai);
        EXPECT_EQ(v.enableScreenIntelligence(), c.screen);
        EXPECT_EQ(v.enableKnockInteraction(), c.knock);
        // Everything fits: the buttons sit inside the window.
        EXPECT_LE(v.continueButton().geometry().bottom(), 360);
        EXPECT_GE(v.skipButton().geometry().left(), 10);
        const QImage image = render(*controller.window());
        // An "on" switch is drawn in the accent colour.
        const QColor accent = windows::systemColor(windows::Hue::blue, windows::paletteAppearance());
        const QRectF knockSwitch = v.knockInteractionSwitch().switchRect().translated(v.knockInteractionSwitch().pos());
        EXPECT_EQ(countPixels(image, knockSwitch, [&](QColor px) { return near(px, accent, 24); }) > 40, c.knock);
        const std::string name = std::string(c.ai ? "ai" : "") + (c.screen ? "-screen" : "") + (c.knock ? "-knock" : "");
        saveToGallery(image, "setup-" + (name.empty() ? std::string("none") : name) + "-" + suffix(lang));
    }
}

// Where the content fits (Chinese), the designed padding of 20 and gaps of 18. Where the
// desktop's fonts make it taller than the window (English in DejaVu Sans), the padding
// above and below gives way before the gaps between the blocks; all of it stays inside.
TEST_P(SetupGallery, GapsBetweenBlocksGiveWayLast)
{
    WindowsRig rig(GetParam());
    RecordingProbe probe;
    PermissionCenter permissions{probe};
    FirstRunSetupController controller{rig.env()};
    controller.show(*rig.settings, permissions);
    const auto& v = *static_cast<FirstRunSetupView*>(controller.window()->content());
    const QRect ai = v.aiIdeSensingSwitch().geometry();
    const QRect screen = v.screenIntelligenceSwitch().geometry();
    const QRect knock = v.knockInteractionSwitch().geometry();
    const double gaps[] = {ai.top() - v.headingRect().bottom(), screen.top() - (ai.bottom() + 1.0),
                           knock.top() - (screen.bottom() + 1.0), v.notesRect().top() - (knock.bottom() + 1.0),
                           v.continueButton().geometry().top() - v.notesRect().bottom()};
    for (double gap : gaps)
        EXPECT_NEAR(gap, v.blockGap(), 1.0);
    if (v.blockGap() < 18) {
        EXPECT_DOUBLE_EQ(v.verticalPadding(), 10.0) << "the gaps shrank while the padding had room to give";
    }
    if (GetParam() == Language::zh && test::pinnedFonts()) { // other fonts may be taller
        EXPECT_DOUBLE_EQ(v.blockGap(), 18.0);
        EXPECT_DOUBLE_EQ(v.verticalPadding(), 20.0);
    }
    EXPECT_GE(v.headingRect().top(), v.verticalPadding());
    EXPECT_LE(v.continueButton().geometry().bottom() + 1.0, 360 - v.verticalPadding());
}

INSTANTIATE_TEST_SUITE_P(Languages, SetupGallery, ::testing::Values(Language::en, Language::zh),
                         [](const auto& info) { return info.param == Language::zh ? "zh" : "en"; });
