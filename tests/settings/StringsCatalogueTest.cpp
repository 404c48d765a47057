#include "settings/Strings.h"

#include "TextChecks.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace plovane;
using plovane::test::hasChinese;
using plovane::test::startsWith;

namespace {

constexpr auto kZh = Language::zh;
constexpr auto kEn = Language::en;

using SingleText = std::function<std::string(Language)>;

// Every text of the catalogue that takes only the language.
std::vector<SingleText> singleTexts()
{
    return {Strings::tooltipWear,      Strings::tooltipShift,     Strings::tooltipNoise,    Strings::noiseZen,
            Strings::noiseLoud,        Strings::headerTitle,      Strings::spriteHoverTip,  Strings::menuToggleHUD,
            Strings::menuTargetRoot,   Strings::menuRotateHint,   Strings::menuQuit,        Strings::statusBarTooltip,
            Strings::initialAdvice,    Strings::flowFallback,     Strings::researchFallback, Strings::chaosFallback,
            Strings::hoveringFallback, Strings::restingFallback,  Strings::criticalFallback,
            Strings::welcomeBack,      Strings::permissionNameScreen, Strings::permissionOn, Strings::permissionOff,
            Strings::permissionDenied, Strings::permissionUnavailable,
            // What the user must act on.
            Strings::problemCannotStartMessage, Strings::problemCannotStartFileMessage, Strings::problemCannotStartKept,
            Strings::problemCannotStartNothingKept, Strings::problemCannotStartAdvice, Strings::problemSavingKept, Strings::problemNotSavedKept,
            Strings::problemNotSavedAdvice, Strings::problemSettingsMessage, Strings::problemSettingsLeftAlone,
            Strings::problemAlreadyRunningTitle, Strings::problemAlreadyRunningMessage,
            Strings::problemAlreadyRunningDisplay, Strings::problemAlreadyRunningAdvice};
}

// Every text that depends on a target, for one target.
std::vector<std::string> targetTexts(AchillesTarget target, Language lang)
{
    return {Strings::achillesTitle(target, lang), Strings::achillesSubtitle(target, lang),
            Strings::criticalCommand(target, lang), Strings::achillesCategoryTitle(target, lang)};
}

} // namespace

TEST(StatusTitle, DecompressionShowsCrashingWhateverTheState)
{
    for (DiveState state : allCases<DiveState>()) {
        EXPECT_EQ(Strings::statusTitle(state, true, kEn), "💀 Crashing") << rawValue(state);
        EXPECT_EQ(Strings::statusTitle(state, true, kZh), "💀 要碎了 (Crashing)") << rawValue(state);
    }
    EXPECT_EQ(Strings::statusTitle(DiveState::critical, false, kEn), "💀 Crashing");
    EXPECT_EQ(Strings::statusTitle(DiveState::critical, false, kZh), "💀 要碎了 (Crashing)");
}

TEST(StatusTitle, EachCalmStateHasItsOwnHeadline)
{
    EXPECT_EQ(Strings::statusTitle(DiveState::flow, false, kEn), "🔥 In the Zone");
    EXPECT_EQ(Strings::statusTitle(DiveState::flow, false, kZh), "🔥 搬砖中 (Coding)");
    EXPECT_EQ(Strings::statusTitle(DiveState::research, false, kZh), "📖 调研中 (Research)");
    EXPECT_EQ(Strings::statusTitle(DiveState::chaos, false, kZh), "🤯 CPU 干烧了 (Overloaded)");
    EXPECT_EQ(Strings::statusTitle(DiveState::resting, false, kEn), "😎 Chilling");
    // The cup keeps its emoji variation selector.
    EXPECT_EQ(Strings::statusTitle(DiveState::hovering, false, kEn), "\u2615\uFE0F AFK");
    EXPECT_EQ(Strings::statusTitle(DiveState::hovering, false, kZh), "\u2615\uFE0F 挂机中 (AFK)");

    std::set<std::string> headlines;
    for (DiveState state : allCases<DiveState>())
        if (state != DiveState::critical)
            headlines.insert(Strings::statusTitle(state, false, kEn));
    EXPECT_EQ(headlines.size(), 5u);
}

TEST(MenuTexts, ExactTitlesInBothLanguages)
{
    EXPECT_EQ(Strings::menuToggleHUD(kEn), "Show/Hide HUD");
    EXPECT_EQ(Strings::menuToggleHUD(kZh), "显示/隐藏悬浮窗");
    EXPECT_EQ(Strings::menuTargetRoot(kEn), "Health Patch List (multi-select)");
    EXPECT_EQ(Strings::menuTargetRoot(kZh), "健康漏洞补丁\uFF08可多选\uFF09"); // full-width parentheses
    EXPECT_EQ(Strings::menuRotateHint(kZh), "提示将轮播已打勾的补丁项");
    EXPECT_EQ(Strings::menuQuit(kEn), "Quit Plovane");
    EXPECT_EQ(Strings::menuQuit(kZh), "退出 Plovane");
    EXPECT_EQ(Strings::statusBarTooltip(kEn), "Plovane \u2013 Click to show/hide");
    EXPECT_EQ(Strings::statusBarTooltip(kZh), "Plovane \u2013 点击显示/隐藏");
}

TEST(MenuTexts, LanguageItemOffersTheOtherLanguage)
{
    EXPECT_EQ(Strings::menuLanguageToggle(kZh), "切换为英文 (Switch to English)");
    EXPECT_EQ(Strings::menuLanguageToggle(kEn), "切换为中文 (Switch to Chinese)");
}

TEST(HudTexts, DataPanelAndUnusedTexts)
{
    EXPECT_EQ(Strings::noiseZen(kEn), "Zen");
    EXPECT_EQ(Strings::noiseZen(kZh), "专注");
    EXPECT_EQ(Strings::noiseLoud(kEn), "Loud");
    EXPECT_EQ(Strings::noiseLoud(kZh), "嘈杂");
    EXPECT_EQ(Strings::tooltipWear(kEn), "Fatigue level from sitting. +1 every 20 min.");
    EXPECT_EQ(Strings::tooltipNoise(kZh), "脑内噪音水平。窗口切换越多，噪音越大。");
    EXPECT_EQ(Strings::tooltipShift(kEn), "Current work shift duration.");
    EXPECT_EQ(Strings::spriteHoverTip(kEn), "Clock Out!");
    EXPECT_EQ(Strings::spriteHoverTip(kZh), "下班! (Clock Out)");
}

TEST(AdviceTexts, FirstAdviceAndFallbacks)
{
    EXPECT_EQ(Strings::initialAdvice(kEn), "Feeling good, let's go!");
    EXPECT_EQ(Strings::flowFallback(kEn), "Locked in. Keep the momentum.");
    // The two share their Chinese text but not their English one.
    EXPECT_EQ(Strings::initialAdvice(kZh), "键盘敲得飞起，感觉能行！");
    EXPECT_EQ(Strings::flowFallback(kZh), Strings::initialAdvice(kZh));

    EXPECT_EQ(Strings::researchFallback(kZh), "调研中，慢慢来，信息量大不要急。");
    EXPECT_EQ(Strings::chaosFallback(kEn), "Easy, stop bouncing around.");
    EXPECT_EQ(Strings::hoveringFallback(kZh), "摸会儿鱼也挺好的。");
    EXPECT_EQ(Strings::restingFallback(kEn), "😎 Break time! Get up and move.");
    EXPECT_EQ(Strings::restingFallback(kZh), "😎 去休息！站起来活动一下吧。");
    EXPECT_EQ(Strings::criticalFallback(kEn), "🚨 Injury Alert! Stand up and move for one minute RIGHT NOW!");
    EXPECT_EQ(Strings::criticalFallback(kZh), "🚨 工伤警告！立刻站起来活动一分钟！");
}

TEST(TargetTexts, TitlesAndSubtitles)
{
    EXPECT_EQ(Strings::achillesTitle(AchillesTarget::discHerniation, kEn), "Disc Herniation");
    EXPECT_EQ(Strings::achillesTitle(AchillesTarget::discHerniation, kZh), "腰椎间盘突出 (Disc Herniation)");
    // The gloss of this one is shorter than its English title.
    EXPECT_EQ(Strings::achillesTitle(AchillesTarget::neckStrain, kEn), "Neck Muscle Strain");
    EXPECT_EQ(Strings::achillesTitle(AchillesTarget::neckStrain, kZh), "颈部肌肉劳损 (Neck Strain)");
    EXPECT_EQ(Strings::achillesTitle(AchillesTarget::calfCramp, kZh), "腓肠肌痉挛预兆 (Calf Cramp Warning)");
    EXPECT_EQ(Strings::achillesSubtitle(AchillesTarget::pseudoMyopia, kEn),
              "Lens locked in spasm\u2014distant objects appear blurry.");
    EXPECT_EQ(Strings::achillesSubtitle(AchillesTarget::muscleStrain, kEn),
              "Deep lumbar ache from prolonged sitting. Classic 'broken back' feeling.");
    EXPECT_EQ(Strings::achillesSubtitle(AchillesTarget::dvtRisk, kZh), "最致命一项。长期不动可能导致血栓。");

    for (AchillesTarget target : allCases<AchillesTarget>()) {
        const std::string zhTitle = Strings::achillesTitle(target, kZh);
        // Chinese name, a blank, then an English gloss in parentheses.
        const auto open = zhTitle.find(" (");
        ASSERT_NE(open, std::string::npos) << zhTitle;
        EXPECT_TRUE(hasChinese(zhTitle.substr(0, open))) << zhTitle;
        EXPECT_FALSE(hasChinese(zhTitle.substr(open))) << zhTitle;
        EXPECT_EQ(zhTitle.back(), ')') << zhTitle;
    }
}

TEST(TargetTexts, CriticalCommandsAreUrgentAndDistinct)
{
    EXPECT_EQ(Strings::criticalCommand(AchillesTarget::neckStrain, kEn),
              "🚨 Injury Alert! Neck muscles are done. Rotate head 5x each side, look up 10s NOW!");
    EXPECT_EQ(Strings::criticalCommand(AchillesTarget::retinalFatigue, kZh),
              "🚨 工伤警告！视网膜在冒烟，看向 6 米外 20 秒，现在！");
    EXPECT_EQ(Strings::criticalCommand(AchillesTarget::calfCramp, kEn),
              "🚨 Injury Alert! Calf cramp incoming. 10 calf raises + drink water NOW!");

    std::set<std::string> en, zh;
    for (AchillesTarget target : allCases<AchillesTarget>()) {
        const std::string e = Strings::criticalCommand(target, kEn);
        const std::string z = Strings::criticalCommand(target, kZh);
        EXPECT_TRUE(startsWith(e, "🚨 Injury Alert! ")) << e;
        EXPECT_TRUE(startsWith(z, "🚨 工伤警告！")) << z;
        en.insert(e);
        zh.insert(z);
    }
    EXPECT_EQ(en.size(), 13u);
    EXPECT_EQ(zh.size(), 13u);
}

TEST(TargetTexts, AreaTitlesFollowTheBodyAreas)
{
    EXPECT_EQ(Strings::achillesCategoryTitle(AchillesTarget::discHerniation, kEn),
              Strings::achillesCategoryTitle(AchillesTarget::neckStrain, kEn));
    EXPECT_NE(Strings::achillesCategoryTitle(AchillesTarget::neckStrain, kEn),
              Strings::achillesCategoryTitle(AchillesTarget::dryEye, kEn));

    const std::vector<std::pair<std::string, std::string>> expected{{"Core & Lumbar", "腰部与脊柱"},
                                                                    {"Visual Sensors", "视觉系统"},
                                                                    {"Circulation & Veins", "循环与静脉"},
                                                                    {"Lower Limbs & Muscles", "腿部与肌肉"}};
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        for (AchillesTarget target : targetsInArea(area)) {
            EXPECT_EQ(Strings::achillesCategoryTitle(target, kEn), expected[area - 1].first) << rawValue(target);
            EXPECT_EQ(Strings::achillesCategoryTitle(target, kZh), expected[area - 1].second) << rawValue(target);
        }
    }
}

// A swapped pair or a text left untranslated shows up as Chinese in the English
// catalogue or the other way round.
TEST(CatalogueLanguages, EveryTextIsInItsOwnLanguage)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const SingleText& text : singleTexts())
        pairs.emplace_back(text(kEn), text(kZh));
    for (DiveState state : allCases<DiveState>())
        pairs.emplace_back(Strings::statusTitle(state, false, kEn), Strings::statusTitle(state, false, kZh));
    for (AchillesTarget target : allCases<AchillesTarget>()) {
        const auto en = targetTexts(target, kEn);
        const auto zh = targetTexts(target, kZh);
        for (std::size_t i = 0; i < en.size(); ++i)
            pairs.emplace_back(en[i], zh[i]);
    }

    for (const auto& [en, zh] : pairs) {
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(hasChinese(en)) << en;
        EXPECT_TRUE(hasChinese(zh)) << zh;
        EXPECT_NE(en, zh);
    }
}

// What an alert says about a file or folder is in the alert's language, for every cause,
// and a file in a folder's place is not answered with advice about permissions.
TEST(ProblemTexts, EveryCauseIsToldAndAnsweredInTheAlertsLanguage)
{
    using Cause = FileProblem::Cause;
    const std::vector<Cause> causes{Cause::permission,     Cause::readOnly, Cause::noSpace,    Cause::fileForFolder,
                                    Cause::notRegularFile, Cause::link,     Cause::notJson,    Cause::wrongShape,
                                    Cause::tooLarge,       Cause::other};
    std::set<std::string> fixes;
    for (const Cause cause : causes) {
        for (const auto& text : {Strings::problemCause(cause, "Input/output error", kEn), Strings::problemFix(cause, kEn)}) {
            EXPECT_FALSE(text.empty());
            EXPECT_FALSE(hasChinese(text)) << text;
        }
        EXPECT_TRUE(hasChinese(Strings::problemCause(cause, "Input/output error", kZh)));
        EXPECT_TRUE(hasChinese(Strings::problemFix(cause, kZh)));
        fixes.insert(Strings::problemFix(cause, kEn));
    }
    EXPECT_NE(Strings::problemFix(Cause::fileForFolder, kEn), Strings::problemFix(Cause::permission, kEn));
    EXPECT_GE(fixes.size(), 7u);
}
