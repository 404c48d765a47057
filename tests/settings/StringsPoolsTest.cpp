#include "settings/Strings.h"

#include "TextChecks.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace plovane;
using plovane::test::codePoints;
using plovane::test::hasChinese;
using plovane::test::startsWith;

namespace {

constexpr auto kZh = Language::zh;
constexpr auto kEn = Language::en;

using TargetPoolFn = std::function<Strings::TargetPool(Language)>;
using PlainPoolFn = std::function<std::vector<std::string>(Language)>;

struct NamedTargetPool {
    const char* name;
    TargetPoolFn pool;
};

const std::array<NamedTargetPool, 3> kTargetPools{{
    {"flow", Strings::flowAdvicePool},
    {"resting", Strings::restingAdvicePool},
    {"hovering", Strings::hoveringTriviaPool},
}};

// The list of one body area, taken from its first target.
const std::vector<std::string>& areaList(const Strings::TargetPool& pool, int area)
{
    return pool.at(targetsInArea(area).front());
}

// Texts that occur more than once across the four area lists of a pool.
std::map<std::string, int> repeatedTexts(const Strings::TargetPool& pool)
{
    std::map<std::string, int> counts;
    for (int area = 1; area <= kBodyAreaCount; ++area)
        for (const std::string& text : areaList(pool, area))
            ++counts[text];
    std::erase_if(counts, [](const auto& entry) { return entry.second < 2; });
    return counts;
}

} // namespace

TEST(TargetPools, EveryTargetGetsItsAreaListOfFourteen)
{
    for (const auto& [name, poolFn] : kTargetPools) {
        for (Language lang : {kZh, kEn}) {
            const Strings::TargetPool pool = poolFn(lang);
            ASSERT_EQ(pool.size(), 13u) << name;
            for (AchillesTarget target : allCases<AchillesTarget>()) {
                ASSERT_TRUE(pool.contains(target)) << name << " " << rawValue(target);
                EXPECT_EQ(pool.at(target).size(), 14u) << name << " " << rawValue(target);
                EXPECT_EQ(pool.at(target), areaList(pool, bodyArea(target))) << name << " " << rawValue(target);
            }
            EXPECT_EQ(pool.at(AchillesTarget::dryEye), pool.at(AchillesTarget::pseudoMyopia)) << name;
            for (int a = 1; a <= kBodyAreaCount; ++a)
                for (int b = a + 1; b <= kBodyAreaCount; ++b)
                    EXPECT_NE(areaList(pool, a), areaList(pool, b)) << name << " areas " << a << "/" << b;
        }
    }
}

TEST(TargetPools, LanguagesRunInParallelAndDifferEverywhere)
{
    for (const auto& [name, poolFn] : kTargetPools) {
        const Strings::TargetPool en = poolFn(kEn);
        const Strings::TargetPool zh = poolFn(kZh);
        for (AchillesTarget target : allCases<AchillesTarget>()) {
            ASSERT_EQ(en.at(target).size(), zh.at(target).size()) << name;
            for (std::size_t i = 0; i < en.at(target).size(); ++i) {
                const std::string& e = en.at(target)[i];
                const std::string& z = zh.at(target)[i];
                EXPECT_FALSE(hasChinese(e)) << name << " " << i << ": " << e;
                EXPECT_TRUE(hasChinese(z)) << name << " " << i << ": " << z;
                EXPECT_NE(e, z);
            }
        }
    }
}

TEST(TargetPools, OnlyTheSharedLegLiftRepeats)
{
    const std::string legLift = "Online. Lift one leg slightly for a few seconds. Alternate.";
    const Strings::TargetPool flowEn = Strings::flowAdvicePool(kEn);
    EXPECT_EQ(areaList(flowEn, 3).at(6), legLift);
    EXPECT_EQ(areaList(flowEn, 4).at(6), legLift);
    EXPECT_EQ(repeatedTexts(flowEn), (std::map<std::string, int>{{legLift, 2}}));

    EXPECT_TRUE(repeatedTexts(Strings::flowAdvicePool(kZh)).empty());
    for (Language lang : {kZh, kEn}) {
        EXPECT_TRUE(repeatedTexts(Strings::restingAdvicePool(lang)).empty());
        EXPECT_TRUE(repeatedTexts(Strings::hoveringTriviaPool(lang)).empty());
    }
}

TEST(FlowPool, FirstEightOfEveryAreaOpenWithTheStateOpeners)
{
    const std::array<std::string, 8> enOpeners{"Locked in.", "Good flow.", "Crushing it.", "Deep focus.",
                                               "Focused.",   "Outputting.", "Online.",    "Brain firing."};
    const std::array<std::string, 8> zhOpeners{"搬砖节奏稳住了", "手感来了。", "代码如泉涌。", "进入心流。",
                                               "专注中。",       "高效输出中。", "状态在线。", "脑子转得飞快。"};
    const Strings::TargetPool en = Strings::flowAdvicePool(kEn);
    const Strings::TargetPool zh = Strings::flowAdvicePool(kZh);
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        for (std::size_t i = 0; i < enOpeners.size(); ++i) {
            const std::string& e = areaList(en, area)[i];
            const std::string& z = areaList(zh, area)[i];
            // An opener is followed by a tip, never left on its own.
            EXPECT_TRUE(startsWith(e, enOpeners[i] + " ")) << area << "/" << i << ": " << e;
            EXPECT_TRUE(startsWith(z, zhOpeners[i])) << area << "/" << i << ": " << z;
            EXPECT_GT(z.size(), zhOpeners[i].size() + 3) << z;
        }
    }
}

TEST(FlowPool, TellingRows)
{
    const Strings::TargetPool en = Strings::flowAdvicePool(kEn);
    const Strings::TargetPool zh = Strings::flowAdvicePool(kZh);
    EXPECT_EQ(areaList(en, 1)[0], "Locked in. Spine pressure nominal\u2014keep going.");
    EXPECT_EQ(areaList(zh, 1)[0], "搬砖节奏稳住了，脊柱压力正常，继续冲！");
    EXPECT_EQ(areaList(en, 1)[13], "When did you last adjust your chair angle? 100\u2013110\u00B0 is the sweet spot.");
    EXPECT_EQ(areaList(zh, 1)[13], "上次调整椅背角度是什么时候？100-110 度倾角对脊柱最友好。");
    EXPECT_EQ(areaList(en, 3)[1], "Good flow. Feet flat, knees just past 90\u00B0.");
    EXPECT_EQ(areaList(zh, 4)[0], "搬砖节奏稳住了。臀肌正在萎缩中，记得不时绷一绷。");
    EXPECT_EQ(areaList(en, 4)[13], "Vary your sitting position: forward-leaning, then fully reclined. Alternate.");
    EXPECT_EQ(areaList(en, 2)[2], "Crushing it. Remember to blink\u2014full blinks, lids all the way closed.");
    EXPECT_EQ(areaList(zh, 2)[2], "代码如泉涌。记得眨眼，每次都要完全闭合。");
}

TEST(RestingPool, EveryTextIsABreakWithAnExercise)
{
    const Strings::TargetPool en = Strings::restingAdvicePool(kEn);
    const Strings::TargetPool zh = Strings::restingAdvicePool(kZh);
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        for (const std::string& text : areaList(en, area)) {
            EXPECT_TRUE(startsWith(text, "😎 Break time! ")) << text;
            EXPECT_GT(text.size(), std::string("😎 Break time! ").size() + 10) << text;
        }
        for (const std::string& text : areaList(zh, area)) {
            EXPECT_TRUE(startsWith(text, "😎 去休息！")) << text;
            EXPECT_GT(text.size(), std::string("😎 去休息！").size() + 10) << text;
        }
    }
    EXPECT_EQ(en.at(AchillesTarget::retinalFatigue)[13],
              "😎 Break time! No phone before bed\u2014start that habit tonight.");
    EXPECT_EQ(zh.at(AchillesTarget::calfCramp)[1], "😎 去休息！交替弓步走 10 步，唤醒沉睡的腿部肌群。");
    EXPECT_EQ(en.at(AchillesTarget::dvtRisk)[5], "😎 Break time! Ankle pumps: flex and point, 20 times.");
    EXPECT_EQ(zh.at(AchillesTarget::dvtRisk)[5], "😎 去休息！踝泵运动：勾脚、绷脚交替 20 次。");
}

TEST(TriviaPool, PlainFactsWithoutPrefixes)
{
    for (Language lang : {kZh, kEn}) {
        const Strings::TargetPool pool = Strings::hoveringTriviaPool(lang);
        for (int area = 1; area <= kBodyAreaCount; ++area) {
            for (const std::string& text : areaList(pool, area)) {
                EXPECT_FALSE(startsWith(text, "😎")) << text;
                EXPECT_FALSE(startsWith(text, "🚨")) << text;
            }
        }
    }
    const Strings::TargetPool en = Strings::hoveringTriviaPool(kEn);
    const Strings::TargetPool zh = Strings::hoveringTriviaPool(kZh);
    EXPECT_EQ(en.at(AchillesTarget::muscleStrain)[1], "Seated lumbar load is 1.4\u00D7 standing. Always use your backrest.");
    EXPECT_EQ(zh.at(AchillesTarget::dryEye)[0], "20-20-20 法则：每 20 分钟看 6 米外 20 秒，简单有效。");
    EXPECT_EQ(en.at(AchillesTarget::glutealAmnesia)[0],
              "After 1 hour of sitting, glute activation drops 50%+. That's gluteal amnesia.");
    EXPECT_EQ(en.at(AchillesTarget::varicoseVeins)[3], "Sitting still for over 4 hours roughly doubles your risk of a blood clot.");
    EXPECT_EQ(zh.at(AchillesTarget::varicoseVeins)[3], "连续静坐超过 4 小时，血栓风险大约翻倍。");
}

TEST(PlainPools, SizesAndTellingRows)
{
    const std::array<std::pair<PlainPoolFn, std::size_t>, 3> pools{{
        {Strings::researchAdvicePool, 10},
        {Strings::chaosAdvicePool, 10},
        {Strings::generalTriviaPool, 12},
    }};
    for (const auto& [poolFn, count] : pools) {
        const auto en = poolFn(kEn);
        const auto zh = poolFn(kZh);
        ASSERT_EQ(en.size(), count);
        ASSERT_EQ(zh.size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_FALSE(hasChinese(en[i])) << en[i];
            EXPECT_TRUE(hasChinese(zh[i])) << zh[i];
        }
        EXPECT_EQ(std::set<std::string>(en.begin(), en.end()).size(), count);
        EXPECT_EQ(std::set<std::string>(zh.begin(), zh.end()).size(), count);
    }

    EXPECT_EQ(Strings::researchAdvicePool(kEn)[0], "Research mode. Stay critical\u2014don't just hoard tabs.");
    EXPECT_EQ(Strings::researchAdvicePool(kZh)[9], "浏览中。来源可靠吗？一次性多看几篇，别只信一家。");
    EXPECT_EQ(Strings::chaosAdvicePool(kEn)[1], "Stop. Context-switching costs 23 min of focus each time.");
    EXPECT_EQ(Strings::chaosAdvicePool(kZh)[9], "频繁切换 = 大脑在烧 CPU 调度，不是在干活。选一个，冲它。");
    EXPECT_EQ(Strings::generalTriviaPool(kEn)[11],
              "White noise beats music for sustained focus\u2014lyrics hijack the speech cortex.");
    // The breathing tip names a different pattern in each language.
    EXPECT_EQ(Strings::generalTriviaPool(kEn)[2], "Box breathing: 4s in, 4s hold, 4s out, 4s hold. Instant calm.");
    EXPECT_EQ(Strings::generalTriviaPool(kZh)[2], "深呼吸 4-7-8：吸 4 秒、屏 7 秒、呼 8 秒，秒切副交感。");
}

// The HUD shows one line of advice in a small bubble; longer texts get cut off.
TEST(AllPools, TextsFitTheHudBubble)
{
    std::vector<std::string> en, zh;
    for (const auto& entry : kTargetPools) {
        for (AchillesTarget target : allCases<AchillesTarget>()) {
            const auto e = entry.pool(kEn).at(target);
            const auto z = entry.pool(kZh).at(target);
            en.insert(en.end(), e.begin(), e.end());
            zh.insert(zh.end(), z.begin(), z.end());
        }
    }
    for (const PlainPoolFn& poolFn : std::vector<PlainPoolFn>{Strings::researchAdvicePool, Strings::chaosAdvicePool,
                                                              Strings::generalTriviaPool}) {
        const auto e = poolFn(kEn);
        const auto z = poolFn(kZh);
        en.insert(en.end(), e.begin(), e.end());
        zh.insert(zh.end(), z.begin(), z.end());
    }
    for (const std::string& text : en)
        EXPECT_LE(codePoints(text).size(), 100u) << text;
    for (const std::string& text : zh)
        EXPECT_LE(codePoints(text).size(), 40u) << text;
}
