#include "EngineRig.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plovane;
using namespace plovane::test;

namespace {
const Language kLang = Language::en;

struct Running : RunningEngine {
    explicit Running(DiveConfig config = {}) : RunningEngine(kCode, std::move(config)) {}

    // Enters a rest by hand and runs its first tick; returns the entry tick's text.
    std::string enterRest()
    {
        away(5); // not typing, so the rest is not ended by activity
        e.triggerManualSurface();
        run(1);
        return e.adviceText.get();
    }
};

bool contains(const std::vector<std::string>& pool, const std::string& text)
{
    return std::find(pool.begin(), pool.end(), text) != pool.end();
}
} // namespace

TEST(Advice, RestAdviceGoesRoundRobinAcrossTargetsAndTips)
{
    Running r;
    r.e.achillesTargets = {AchillesTarget::varicoseVeins, AchillesTarget::dryEye};
    const auto pool = Strings::restingAdvicePool(kLang);
    const auto& eyes = pool.at(AchillesTarget::dryEye); // "dryEye" sorts first
    const auto& veins = pool.at(AchillesTarget::varicoseVeins);

    // The entering tick rotates first (index 0) and then applies the entry pick (index 1).
    EXPECT_EQ(r.enterRest(), veins[2 % veins.size()]);
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        r.run(12);
        shown.push_back(r.e.adviceText.get());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{eyes[3], veins[4], eyes[5], veins[6]}));
}

TEST(Advice, RestAdviceWithOneTargetWalksItsListAndTheEntryHoldsEightSeconds)
{
    Running r;
    const auto tips = Strings::restingAdvicePool(kLang).at(AchillesTarget::varicoseVeins);
    EXPECT_EQ(r.enterRest(), tips[2]);
    r.run(8); // held, and the next rotation is due 12 s after the entering tick
    EXPECT_EQ(r.e.adviceText.get(), tips[2]);
    r.run(3);
    EXPECT_EQ(r.e.adviceText.get(), tips[2]);
    r.run(1);
    EXPECT_EQ(r.e.adviceText.get(), tips[3]);

    r.e.achillesTargets = {}; // a changed selection shows at the very next pick
    r.run(12);
    EXPECT_EQ(r.e.adviceText.get(), Strings::restingFallback(kLang));
}

TEST(Advice, CriticalCommandCyclesThroughTheOrderedTargetsOnePerEntry)
{
    Running r(DiveConfig{.decompressionDepthThreshold = 3.0});
    r.e.achillesTargets = {AchillesTarget::varicoseVeins, AchillesTarget::calfCramp};
    std::vector<std::string> commands;
    for (int i = 0; i < 3; ++i) {
        r.typing();
        r.jump(120);
        r.run(0); // two minutes of flow in one tick: depth 6
        EXPECT_EQ(r.e.state.get(), DiveState::critical);
        commands.push_back(r.e.adviceText.get());
        r.run(30); // no rotation in critical: the command stays
        EXPECT_EQ(r.e.adviceText.get(), commands.back());
        r.enterRest();
        r.run(60); // recovered below the line
        ASSERT_EQ(r.e.state.get(), DiveState::resting);
        r.e.triggerManualSurface(); // back to work
        r.run(1);
        ASSERT_EQ(r.e.state.get(), DiveState::flow);
    }
    EXPECT_EQ(commands, (std::vector<std::string>{Strings::criticalCommand(AchillesTarget::calfCramp, kLang),
                                                  Strings::criticalCommand(AchillesTarget::varicoseVeins, kLang),
                                                  Strings::criticalCommand(AchillesTarget::calfCramp, kLang)}));
}

TEST(Advice, WithoutTargetsEveryTargetedPickFallsBack)
{
    Running r(DiveConfig{.decompressionDepthThreshold = 3.0});
    r.e.achillesTargets = {};
    r.front(kFirefox);
    r.run(1);
    EXPECT_TRUE(contains(Strings::researchAdvicePool(kLang), r.e.adviceText.get()));
    r.front(kCode);
    r.run(1);
    EXPECT_EQ(r.e.adviceText.get(), Strings::flowFallback(kLang));

    r.away(100);
    r.run(10);
    EXPECT_TRUE(contains(Strings::generalTriviaPool(kLang), r.e.adviceText.get()));

    EXPECT_EQ(r.enterRest(), Strings::restingFallback(kLang));

    r.e.triggerManualSurface();
    r.typing();
    r.jump(120);
    r.run(0);
    ASSERT_EQ(r.e.state.get(), DiveState::critical);
    EXPECT_EQ(r.e.adviceText.get(), Strings::criticalFallback(kLang));
}

TEST(Advice, EntryAdviceIsAppliedOncePerStateChangeAndHeld)
{
    Running r;
    r.e.achillesTargets = {AchillesTarget::dryEye};
    const auto flowTips = Strings::flowAdvicePool(kLang).at(AchillesTarget::dryEye);
    r.front(kFirefox);
    r.run(1);
    const std::string research = r.e.adviceText.get();
    EXPECT_TRUE(contains(Strings::researchAdvicePool(kLang), research));
    int adviceWrites = 0;
    Connection c = r.e.adviceText.didSet.connect([&](const std::string&) { ++adviceWrites; });
    r.run(30);
    EXPECT_EQ(adviceWrites, 0);

    r.front(kCode);
    r.run(1);
    EXPECT_TRUE(contains(flowTips, r.e.adviceText.get()));
}

TEST(Advice, HoveringKeepsTheTextUntilTheFirstTriviaAndRotatesEveryTenSeconds)
{
    Running r;
    r.e.achillesTargets = {AchillesTarget::neckStrain};
    const auto trivia = Strings::hoveringTriviaPool(kLang).at(AchillesTarget::neckStrain);
    r.run(12); // the start-time rotation point has passed long ago

    r.away(100);
    r.run(1); // entering hovering: nothing blocks, so the trivia shows at once
    EXPECT_TRUE(contains(trivia, r.e.adviceText.get()));
    int rotations = 0;
    Connection c = r.e.adviceText.didSet.connect([&](const std::string&) { ++rotations; });
    r.run(9);
    EXPECT_EQ(rotations, 0);
    r.run(21);
    EXPECT_LE(rotations, 3); // at 10, 20 and 30 s (an unchanged pick is not rewritten)
    EXPECT_TRUE(contains(trivia, r.e.adviceText.get()));
}

TEST(Advice, HoveringRightAfterAWorkEntryWaitsForTheHoldToLapse)
{
    Running r;
    r.front(kFirefox);
    r.run(1); // research entry, held 4 s
    const std::string held = r.e.adviceText.get();
    r.away(100);
    r.run(1); // the rotation runs before the entry clears the hold, so it is still blocked
    EXPECT_EQ(r.e.adviceText.get(), held);
    r.run(1);
    EXPECT_TRUE(contains(Strings::hoveringTriviaPool(kLang).at(AchillesTarget::varicoseVeins), r.e.adviceText.get()));
}
