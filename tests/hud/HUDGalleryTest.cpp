// Renders the HUD in each of its looks into the build folder, for people to look at.
// Each picture also checks that something was drawn where the look puts it.

#include "HUDTestRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {

std::vector<DiveEngine::RecentApp> someApps()
{
    return {
        {"org.vim.gvim", "GVim", "org.vim.gvim", "/usr/share/icons/hicolor/48x48/apps/gvim.png", false},
        {"org.openbox", "Openbox", "org.openbox", "/usr/share/pixmaps/openbox.png", false},
        {"com.example.chat", "Chat", "com.example.chat", "/usr/share/pixmaps/debian-logo.png", true},
        {"org.example.noicon", "No icon", "org.example.noicon", "", false},
        {"org.openjdk", "Java", "org.openjdk", "/usr/share/icons/hicolor/48x48/apps/openjdk-17.png", false},
    };
}

void stage(HUDRig& rig, DiveState state, double o2, long long focus, const std::string& advice)
{
    rig.engine->state = state;
    rig.engine->o2 = o2;
    rig.engine->focusSeconds = focus;
    rig.engine->recentApps = someApps();
    rig.engine->activeBundleID = state == DiveState::chaos ? "com.example.chat" : "org.vim.gvim";
    rig.engine->adviceText = advice;
    rig.finishAnimations();
    if (state == DiveState::critical)
        rig.animate(1.0); // 4 s into the 0.8 s blink: at its brightest
}

void expectPainted(const QImage& image, const QRectF& r)
{
    EXPECT_GT(countPixels(image, r, [](QColor c) { return c.alpha() > 40; }, 2), 10);
}

// What holds with any desktop's fonts: the advice wraps inside the card, clear of its button.
void expectAdviceFits(const HUDView& view, const std::string& look)
{
    const QRectF advice = view.adviceTextRect();
    EXPECT_FALSE(advice.isEmpty()) << look;
    EXPECT_TRUE(view.dataPanelRect().adjusted(-0.5, -0.5, 0.5, 0.5).contains(advice)) << look;
    EXPECT_FALSE(advice.intersects(view.actionButtonRect())) << look;
}

} // namespace

class HUDGallery : public ::testing::TestWithParam<Language> {};

TEST_P(HUDGallery, EveryStateExpandedAndCompact)
{
    const Language lang = GetParam();
    const std::string suffix = lang == Language::zh ? "zh" : "en";
    HUDRig rig(lang);
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    const struct {
        DiveState state;
        double o2;
        long long focus;
        const char* en;
        const char* zh;
    } looks[] = {
        {DiveState::flow, 82.4, 1534, "Shoulders down, chin back: let the screen come to you.", "肩膀放松，下巴微收，让屏幕靠近你。"},
        {DiveState::research, 55.0, 2410, "Reading? Look 6 m away for 20 s every 20 min.", "阅读中？每 20 分钟看 6 米外 20 秒。"},
        {DiveState::chaos, 41.0, 3100, "Too many switches. Close two tabs and breathe.", "切换太频繁了。关掉两个标签页，深呼吸。"},
        {DiveState::hovering, 100.0, 0, "Trivia: your eyes blink a third less at a screen.", "冷知识：看屏幕时眨眼次数少三分之一。"},
        {DiveState::critical, 0.0, 5520, "Stand up now. Walk for five minutes.", "立刻起身，走动五分钟。"},
        {DiveState::resting, 18.0, 0, "Rest: roll your ankles ten times each way.", "休息：脚踝各方向转十圈。"},
    };
    for (const auto& l : looks) {
        stage(rig, l.state, l.o2, l.focus, lang == Language::zh ? l.zh : l.en);
        const QImage image = rig.renderOverBackdrop();
        expectPainted(rig.render(), view.dataPanelRect());
        expectPainted(rig.render(), view.spriteFrameRect());
        expectAdviceFits(view, std::string(rawValue(l.state)));
        saveToGallery(image, "state-" + QString::fromLatin1(rawValue(l.state)).toLower().toStdString() + "-" + suffix);
    }

    rig.settings->compactMode = true;
    stage(rig, DiveState::flow, 64.0, 800, lang == Language::zh ? "坐直，双脚平放在地面上。" : "Sit tall, both feet flat on the floor.");
    expectPainted(rig.render(), view.compactLabelRect());
    saveToGallery(rig.renderOverBackdrop(), "compact-" + suffix);
}

TEST_P(HUDGallery, WelcomeAndBadges)
{
    const Language lang = GetParam();
    const std::string suffix = lang == Language::zh ? "zh" : "en";
    HUDRig rig(lang, /*welcomeAlreadyShown=*/false);
    rig.settings->idleOpacity = 1.0;
    HUDView& view = rig.makeView();
    rig.show();
    rig.engine->recentApps = someApps();
    rig.engine->activeBundleID = "org.vim.gvim";
    rig.scheduler.advance(1.2);
    rig.finishAnimations();
    ASSERT_TRUE(view.showWelcomeBubble());
    expectPainted(rig.render(), view.welcomeBubbleRect());
    saveToGallery(rig.renderOverBackdrop(), "welcome-" + suffix);
    view.dismissWelcome();

    rig.engine->isMusicPlaying = true;
    rig.engine->knockHintVisible = true;
    rig.finishAnimations();
    expectPainted(rig.render(), view.knockBadgeRect());
    expectPainted(rig.render(), view.musicBadgeRect());
    saveToGallery(rig.renderOverBackdrop(), "badges-" + suffix);

    rig.settings->compactMode = true;
    rig.finishAnimations();
    saveToGallery(rig.renderOverBackdrop(), "badges-compact-" + suffix);
}

INSTANTIATE_TEST_SUITE_P(Languages, HUDGallery, ::testing::Values(Language::en, Language::zh),
                         [](const auto& info) { return info.param == Language::zh ? "zh" : "en"; });
