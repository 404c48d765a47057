#include "hud/HUDRules.h"
#include "hud/HUDTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace plovane;
using namespace plovane::hud;

TEST(HUDRules, BarFillColourFollowsTheThresholdsAndIsRedWheneverCritical)
{
    EXPECT_EQ(healthBarFill(DiveState::flow, 100), (Tint{Hue::green, 0.85}));
    EXPECT_EQ(healthBarFill(DiveState::flow, 60.1), (Tint{Hue::green, 0.85}));
    EXPECT_EQ(healthBarFill(DiveState::flow, 60), (Tint{Hue::orange, 0.9}));
    EXPECT_EQ(healthBarFill(DiveState::research, 25.1), (Tint{Hue::orange, 0.9}));
    EXPECT_EQ(healthBarFill(DiveState::resting, 25), (Tint{Hue::red, 0.9}));
    EXPECT_EQ(healthBarFill(DiveState::chaos, 0), (Tint{Hue::red, 0.9}));
    EXPECT_EQ(healthBarFill(DiveState::critical, 100), (Tint{Hue::red, 0.9}));

    EXPECT_DOUBLE_EQ(healthBarFillWidth(0), 3.0);
    EXPECT_DOUBLE_EQ(healthBarFillWidth(5), 3.0);
    EXPECT_DOUBLE_EQ(healthBarFillWidth(50), 24.0);
    EXPECT_DOUBLE_EQ(healthBarFillWidth(100), 48.0);
}

TEST(HUDRules, SpriteLookGlowAndBarVisibility)
{
    EXPECT_EQ(floatingStateKey(DiveState::flow), "deep_dive");
    EXPECT_EQ(floatingStateKey(DiveState::research), "reading");
    EXPECT_EQ(floatingStateKey(DiveState::chaos), "critical");
    EXPECT_EQ(floatingStateKey(DiveState::critical), "critical");
    EXPECT_EQ(floatingStateKey(DiveState::hovering), "hovering");
    EXPECT_EQ(floatingStateKey(DiveState::resting), "resting");

    EXPECT_FALSE(lowO2PulseEnabled(20.0));
    EXPECT_TRUE(lowO2PulseEnabled(19.9));

    EXPECT_FALSE(showSpriteHealthBar(DiveState::hovering, 100));
    EXPECT_TRUE(showSpriteHealthBar(DiveState::hovering, 99.9));
    EXPECT_TRUE(showSpriteHealthBar(DiveState::flow, 100));
    EXPECT_TRUE(showSpriteHealthBar(DiveState::resting, 100));
}

TEST(HUDRules, OpacityRuleOrder)
{
    auto op = [](DiveState s, double o2, bool hover, bool spriteHover, double idle = 0.4) {
        return viewOpacity({s, o2, hover, spriteHover, idle});
    };
    EXPECT_DOUBLE_EQ(op(DiveState::flow, 80, false, false), 0.4);
    EXPECT_DOUBLE_EQ(op(DiveState::flow, 80, false, false, 0.1), 0.1);
    EXPECT_DOUBLE_EQ(op(DiveState::research, 20, false, false), 0.4); // exactly 20 is not low
    EXPECT_DOUBLE_EQ(op(DiveState::hovering, 19.9, false, false), 1.0);
    EXPECT_DOUBLE_EQ(op(DiveState::critical, 80, false, false), 1.0);
    EXPECT_DOUBLE_EQ(op(DiveState::chaos, 80, false, false), 1.0);
    EXPECT_DOUBLE_EQ(op(DiveState::flow, 80, true, false), 1.0);
    EXPECT_DOUBLE_EQ(op(DiveState::flow, 80, false, true), 1.0);
    EXPECT_DOUBLE_EQ(op(DiveState::resting, 80, false, false, 0.1), 0.85);
    EXPECT_DOUBLE_EQ(op(DiveState::resting, 80, true, false), 1.0); // hover wins over resting
}

TEST(HUDRules, WearLevelAndShiftClock)
{
    EXPECT_EQ(pressureLevel(0), 1);
    EXPECT_EQ(pressureLevel(1199), 1);
    EXPECT_EQ(pressureLevel(1200), 2);
    EXPECT_EQ(pressureLevel(4800), 5);
    EXPECT_EQ(pressureLevel(100000), 5);

    EXPECT_EQ(focusClockString(0), "00:00");
    EXPECT_EQ(focusClockString(1199), "19:59");
    EXPECT_EQ(focusClockString(3599), "59:59");
    EXPECT_EQ(focusClockString(3600), "01:00:00");
    EXPECT_EQ(focusClockString(36000), "10:00:00");
    EXPECT_EQ(focusClockString(360000), "100:00:00");
}

TEST(HUDTexts, ContextMenuTitlesFollowStateSettingsAndLanguage)
{
    auto titles = [](MenuInputs in) {
        std::vector<std::string> out;
        for (const MenuEntry& e : contextMenuEntries(in))
            out.push_back(e.isSeparator() ? "-" : e.title);
        return out;
    };
    EXPECT_EQ(titles({Language::en, DiveState::flow, false, false, false}),
              (std::vector<std::string>{"Take a Break", "-", "Drain Settings", "🤯 Enable Overload", "📊 Compact Mode",
                                        "❓ Enable Knock Hint", "切换为中文", "📊 Daily Report", "-", "Quit Plovane"}));
    EXPECT_EQ(titles({Language::zh, DiveState::resting, true, true, true}),
              (std::vector<std::string>{"回去搬砖", "-", "扣血机制", "🤯 关闭过载警告", "📊 展开面板",
                                        "❓ 关闭敲击疑问提示", "Switch to English", "📊 查看今日日报", "-",
                                        "退出 Plovane"}));
    // Critical is still "Take a Break": only resting offers the way back.
    EXPECT_EQ(contextMenuEntries({Language::en, DiveState::critical, false, false, false}).front().title,
              "Take a Break");
}

TEST(HUDTexts, EachMenuItemRunsItsOwnCallback)
{
    std::vector<std::string> ran;
    auto note = [&ran](const char* name) { return [&ran, name] { ran.push_back(name); }; };
    HUDMenuActions actions{note("surface"), note("drain"),  note("chaos"),  note("compact"),
                           note("knock"),   note("language"), note("report"), note("quit")};
    for (const MenuEntry& e : contextMenuEntries({Language::en, DiveState::flow, false, false, false}))
        if (!e.isSeparator())
            (actions.*e.action)();
    EXPECT_EQ(ran, (std::vector<std::string>{"surface", "drain", "chaos", "compact", "knock", "language", "report",
                                             "quit"}));
}

TEST(HUDTexts, WelcomeMessageCarriesWholeSessionMinutes)
{
    EXPECT_EQ(welcomeMessage(Language::en, 45),
              "Your PFC guardian is online!\n👈 Left-click: toggle Focus / Rest\n(I can hold 45 min max)\n👉 "
              "Right-click: tweak settings & more\nMay the Vibe be with you! 🔥");
    EXPECT_EQ(welcomeMessage(Language::zh, 45.9),
              "你的前额叶守护者已上线！\n👈 左键点击：切换 专注 / 休息\n（我最多撑 45 分钟哦）\n👉 "
              "右键点击：修改工作时间及更多配置\n祝你今天 Vibe 灵感爆满！🔥");
    EXPECT_NE(welcomeMessage(Language::en, 0.5).find("hold 0 min"), std::string::npos);
    // No whole-minute form: the default length instead of an overflowed number.
    EXPECT_NE(welcomeMessage(Language::en, std::numeric_limits<double>::quiet_NaN()).find("hold 45 min"),
              std::string::npos);
    EXPECT_NE(welcomeMessage(Language::en, 1e300).find("hold 45 min"), std::string::npos);

    EXPECT_EQ(welcomeButtonTitle(Language::en), "Got it 👌");
    EXPECT_EQ(welcomeButtonTitle(Language::zh), "我知道啦 👌");
    EXPECT_EQ(stateActionButton(DiveState::resting, Language::zh).title, "搬砖");
    EXPECT_EQ(stateActionButton(DiveState::critical, Language::en).title, "Rest");
    EXPECT_EQ(stateActionButton(DiveState::critical, Language::en).hue, Hue::green);
    EXPECT_STREQ(stateActionButton(DiveState::resting, Language::en).symbol, "hammer.fill");
}
