#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {
IDEStateSnapshot ideSays(IDEPrimaryState primary)
{
    return IDEStateSnapshot{.isEnabled = true, .primaryState = primary, .summary = "scripted"};
}
} // namespace

using Running = RunningEngine;

TEST(StateDerivation, WorkAppsGiveFlowAndResearchAppsGiveResearch)
{
    Running r(kCode);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.front(kFirefox);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::research);
    r.front("org.gnome.Evolution");
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
}

TEST(StateDerivation, IdleIsStrictlyMoreThanThirtySeconds)
{
    Running r;
    r.away(30);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.away(30.01);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::hovering);
}

TEST(StateDerivation, IdeActivityWinsOverIdleness)
{
    Running r;
    r.away(600);
    r.ide->next = ideSays(IDEPrimaryState::working);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.ide->next = ideSays(IDEPrimaryState::waiting);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::hovering);
    r.typing();
    r.ide->next = ideSays(IDEPrimaryState::prompting);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::research);
    r.ide->next = ideSays(IDEPrimaryState::terminal);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.ide->next = ideSays(IDEPrimaryState::researching);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::research);
    EXPECT_EQ(r.e.ideStateSummary.get(), "scripted");

    r.ide->next = ideSays(IDEPrimaryState::idle); // an idle classification falls through
    r.away(600);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::hovering);
}

TEST(StateDerivation, DistractingAppsNeedChaosEnabledAndThreeSecondsFrontmost)
{
    Running r(kCode, DiveConfig{.switchCountThreshold = 50}); // keep overload out of it
    r.front(kChat);
    r.run(5);
    EXPECT_EQ(r.e.state.get(), DiveState::flow); // chaos off: plain default rule

    HUDSettings::shared().chaosEnabled = true;
    r.front(kFirefox);
    r.run(1);
    ASSERT_EQ(r.e.state.get(), DiveState::research);
    r.front(kChat);
    r.run(1); // first tick: remembered, research kept
    EXPECT_EQ(r.e.state.get(), DiveState::research);
    r.run(1);
    r.front(kVideo); // another distracting app keeps the debounce running
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::research);
    r.run(1); // fourth tick: 3 s since the first
    EXPECT_EQ(r.e.state.get(), DiveState::chaos);
    EXPECT_TRUE(r.e.narcosisWarningVisible.get());

    r.front(kCode);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.front(kChat);
    r.run(1); // the debounce starts over after leaving
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
}

TEST(StateDerivation, OverloadGivesChaosUnlessIdeOrIdleRulesDecideFirst)
{
    Running r;
    HUDSettings::shared().chaosEnabled = true;
    for (const std::string app : {"a.1", "a.2", "a.3", "a.4", "a.5", "a.6"}) {
        r.front(app);
        r.run(1);
    }
    EXPECT_EQ(r.e.state.get(), DiveState::chaos);
    r.away(40);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::hovering);
    r.typing();
    r.ide->next = ideSays(IDEPrimaryState::working);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
}

TEST(StateDerivation, CriticalHoldsWhateverTheSensorsSayUntilManualRest)
{
    Running r;
    HUDSettings::shared().sessionMinutes = 10;
    r.run(601); // 10 min of flow at 10 points a minute
    ASSERT_EQ(r.e.state.get(), DiveState::critical);
    EXPECT_TRUE(r.e.shouldEnterDecompressionLayout());

    r.away(600);
    r.ide->next = ideSays(IDEPrimaryState::working);
    r.front(kFirefox);
    r.run(5);
    EXPECT_EQ(r.e.state.get(), DiveState::critical);

    // Sleep refills the gauge, but critical stays until the user rests.
    r.sleep();
    r.jump(3600);
    r.wake();
    EXPECT_EQ(r.e.o2.get(), 100.0);
    r.run(2);
    EXPECT_EQ(r.e.state.get(), DiveState::critical);

    r.e.triggerManualSurface();
    EXPECT_EQ(r.e.state.get(), DiveState::resting);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::resting);
}

TEST(StateDerivation, ManualRestOutranksAnEmptyGaugeAndEndsAfter30sOfActivity)
{
    Running r;
    HUDSettings::shared().sessionMinutes = 10;
    r.run(601);
    ASSERT_EQ(r.e.o2.get(), 0.0);
    r.e.triggerManualSurface();
    r.typing();
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::resting); // not critical although O2 reads 0

    // Active ticks from here; one idle tick restarts the count.
    r.run(20);
    r.away(5);
    r.run(1);
    r.typing();
    r.run(30); // 30 active ticks span 29 s: still resting
    EXPECT_EQ(r.e.state.get(), DiveState::resting);
    r.front(kFirefox); // the re-dive is flow even in a research app
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::research);
}
