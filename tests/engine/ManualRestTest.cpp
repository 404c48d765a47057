#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

using Running = RunningEngine;

TEST(ManualRest, TwoClicksGoToRestAndBackToTheFrontmostAppsKindOfWork)
{
    Running r(kFirefox);
    ASSERT_EQ(r.e.state.get(), DiveState::research);
    r.e.triggerManualSurface();
    EXPECT_EQ(r.e.state.get(), DiveState::resting);
    r.e.triggerManualSurface();
    EXPECT_EQ(r.e.state.get(), DiveState::research);

    r.front(kCode);
    r.run(1);
    r.e.triggerManualSurface();
    r.e.triggerManualSurface();
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
}

TEST(ManualRest, RestHoldsWhileAwayAndThirtySecondsOfActivityEndIt)
{
    Running r;
    r.away(100);
    r.run(1);
    ASSERT_EQ(r.e.state.get(), DiveState::hovering);
    r.e.triggerManualSurface();
    r.run(120);
    EXPECT_EQ(r.e.state.get(), DiveState::resting); // not hovering: the rest outranks idleness
    r.typing();
    r.run(30);
    EXPECT_EQ(r.e.state.get(), DiveState::resting);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
}

TEST(ManualRest, TheClickItselfWritesNoAdviceAndBooksNothing)
{
    Running r;
    const auto stats = r.e.dailyStats.get();
    const auto advice = r.e.adviceText.get();
    r.e.triggerManualSurface();
    EXPECT_EQ(r.e.dailyStats.get(), stats);
    EXPECT_EQ(r.e.adviceText.get(), advice);
}

TEST(KnockHint, ShowsForItsDurationAfterTheLatestCall)
{
    Running r;
    int writes = 0;
    Connection c = r.e.knockHintVisible.didSet.connect([&](bool) { ++writes; });
    r.e.triggerKnockHint(3.0);
    EXPECT_TRUE(r.e.knockHintVisible.get());
    r.run(2);
    r.e.triggerKnockHint(3.0); // written again although already shown
    EXPECT_EQ(writes, 2);
    r.run(2.9); // the first hint's time passes: it was cancelled and changes nothing
    EXPECT_TRUE(r.e.knockHintVisible.get());
    r.run(0.1);
    EXPECT_FALSE(r.e.knockHintVisible.get()); // 5 s after the first call
}

TEST(KnockHint, DefaultAndTooShortDurations)
{
    Running r;
    r.e.triggerKnockHint();
    r.run(1.19);
    EXPECT_TRUE(r.e.knockHintVisible.get());
    r.run(0.01);
    EXPECT_FALSE(r.e.knockHintVisible.get());

    r.e.triggerKnockHint(0);
    r.run(0.09);
    EXPECT_TRUE(r.e.knockHintVisible.get());
    r.run(0.01);
    EXPECT_FALSE(r.e.knockHintVisible.get());

    r.e.triggerKnockHint(-4);
    r.run(0.1);
    EXPECT_FALSE(r.e.knockHintVisible.get());
}

TEST(KnockHint, StopCancelsThePendingHintAndLeavesTheFlag)
{
    Running r;
    r.e.triggerKnockHint(3.0);
    r.e.stop();
    r.run(10);
    EXPECT_TRUE(r.e.knockHintVisible.get());
}
