#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

using Running = RunningEngine;

TEST(Gauges, DrainAndDepthFollowTheStateRates)
{
    Running r; // defaults: 45 min session, 10 min rest
    r.run(60);
    EXPECT_NEAR(r.e.o2.get(), 100 - 100.0 / 45, 0.051);
    EXPECT_NEAR(r.e.depth.get(), 3.0, 0.051);
    EXPECT_EQ(r.e.focusSeconds.get(), 60);

    r.front(kFirefox);
    r.run(60);
    EXPECT_NEAR(r.e.o2.get(), 100 - 1.5 * 100.0 / 45, 0.051);
    EXPECT_NEAR(r.e.depth.get(), 5.0, 0.051);
    EXPECT_EQ(r.e.focusSeconds.get(), 120);

    r.away(100); // hovering: O2 holds, depth falls 6 a minute, no focus time
    r.run(30);
    const double o2 = r.e.o2.get();
    r.run(30);
    EXPECT_EQ(r.e.o2.get(), o2);
    EXPECT_EQ(r.e.depth.get(), 0.0);
    EXPECT_EQ(r.e.focusSeconds.get(), 120);

    r.e.triggerManualSurface(); // resting: 10 points a minute back
    r.run(60);
    EXPECT_NEAR(r.e.o2.get(), std::min(100.0, o2 + 10), 0.051);
}

TEST(Gauges, SessionAndRestLengthsHaveFloors)
{
    Running r;
    HUDSettings::shared().sessionMinutes = 5; // drains like 10
    r.run(60);
    EXPECT_NEAR(r.e.o2.get(), 90.0, 0.051);
    HUDSettings::shared().restMinutes = 1; // refills like 3
    r.e.triggerManualSurface();
    r.run(6);
    EXPECT_NEAR(r.e.o2.get(), 90 + 100.0 / 3 / 10, 0.051);
}

TEST(Gauges, ChaosExhaustsTheGaugeAndCriticalFreezesEverything)
{
    Running r;
    HUDSettings::shared().chaosEnabled = true;
    r.front("com.tencent.xinWeChat");
    // 45 min session: chaos drains 100/9 a minute, so about 9 minutes to empty.
    r.run(9 * 60 + 10);
    ASSERT_EQ(r.e.state.get(), DiveState::critical);
    EXPECT_EQ(r.e.o2.get(), 0.0);
    const double depth = r.e.depth.get();
    const long long focus = r.e.focusSeconds.get();
    r.run(120);
    EXPECT_EQ(r.e.o2.get(), 0.0);
    EXPECT_EQ(r.e.depth.get(), depth);
    EXPECT_EQ(r.e.focusSeconds.get(), focus);
}

TEST(Gauges, RestingBelowTheDepthLineIsTheOnlyWayOutOfADeepCritical)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine(DiveConfig{.decompressionDepthThreshold = 3.0});
    rig.scheduler.runPending();
    rig.jump(600);
    rig.run(0); // one tick covering ten minutes of flow: depth 30
    ASSERT_EQ(e.state.get(), DiveState::critical);

    rig.away(5); // hands off, so the rest is not ended by typing
    e.triggerManualSurface();
    EXPECT_EQ(e.state.get(), DiveState::resting);
    rig.run(1); // recovers at the resting rates but is still far too deep
    EXPECT_EQ(e.state.get(), DiveState::critical);
    EXPECT_LT(e.depth.get(), 30.0);

    e.triggerManualSurface(); // critical on screen: this is a rest again, not a return to work
    EXPECT_EQ(e.state.get(), DiveState::resting);
    rig.run(1);
    EXPECT_EQ(e.state.get(), DiveState::critical);

    rig.run(200); // ten points a minute brings it below the line
    EXPECT_LT(e.depth.get(), 3.0);
    EXPECT_EQ(e.state.get(), DiveState::resting);
}

TEST(Gauges, LongIdleResetAnnouncesAFreshStartInTheCurrentLanguage)
{
    Running r;
    r.run(100);
    AppLanguage::shared().language = Language::zh;
    r.jump(3600);
    r.run(0);
    EXPECT_EQ(r.e.state.get(), DiveState::hovering);
    EXPECT_EQ(r.e.o2.get(), 100.0);
    EXPECT_EQ(r.e.depth.get(), 0.0);
    EXPECT_EQ(r.e.focusSeconds.get(), 0);
    EXPECT_EQ(r.e.adviceText.get(), "欢迎回来！满血复活，继续冲 💪");
}

TEST(SleepAndWake, SleepIsCreditedAsRestAndBookedToTheDay)
{
    Running r;
    r.run(600); // some work to recover from
    const double o2 = r.e.o2.get();
    const double depth = r.e.depth.get();
    const long long resting = r.statSeconds(DiveState::resting);
    const long long flowBefore = r.statSeconds(DiveState::flow);

    r.sleep();
    r.jump(59.9);
    r.wake();
    EXPECT_NEAR(r.e.o2.get(), std::min(100.0, o2 + 59.9 / 60 * 10), 0.051);
    EXPECT_NEAR(r.e.depth.get(), depth - 59.9 / 60 * 10, 0.051);
    EXPECT_EQ(r.statSeconds(DiveState::resting), resting + 59);
    EXPECT_FALSE(r.e.dailyStats->appNames.contains("unknown.bundle.id"));
    EXPECT_EQ(r.e.state.get(), DiveState::flow); // the state is left alone

    r.run(1); // the gap is measured from the wake
    EXPECT_EQ(r.statSeconds(DiveState::flow), flowBefore + 1);
}

TEST(SleepAndWake, WakeWithoutSleepAndZeroSleepCreditNothing)
{
    Running r;
    r.run(20);
    const auto before = r.e.dailyStats.get();
    r.wake();
    r.sleep();
    r.wake();
    EXPECT_EQ(r.e.dailyStats.get(), before);
}

TEST(SleepAndWake, AnHourAsleepIsNotALongIdleGap)
{
    Running r;
    r.run(30);
    r.sleep();
    r.jump(2 * 3600);
    r.wake();
    r.run(1);
    EXPECT_EQ(r.e.state.get(), DiveState::flow);
    EXPECT_EQ(r.statSeconds(DiveState::resting), 2 * 3600);
}

TEST(SleepAndWake, ObserversAreRegisteredOnceAndDroppedAtStop)
{
    EngineRig rig;
    DiveEngine& e = rig.makeEngine();
    EXPECT_EQ(rig.sleepWake.willSleep.slotCount(), 0u);
    e.start();
    e.start();
    EXPECT_EQ(rig.sleepWake.willSleep.slotCount(), 1u);
    EXPECT_EQ(rig.sleepWake.didWake.slotCount(), 1u);
    e.stop();
    EXPECT_EQ(rig.sleepWake.willSleep.slotCount(), 0u);
    EXPECT_EQ(rig.sleepWake.didWake.slotCount(), 0u);
}

TEST(SleepAndWake, HandlersRunOnALaterTurnNotInsideTheNotification)
{
    Running r;
    r.sleepWake.willSleep.emit();
    r.front(kFirefox);
    r.e.tickForTesting(); // the notification alone has not put the engine to sleep
    EXPECT_EQ(r.e.activeBundleID.get(), kFirefox);

    r.scheduler.runPending();
    r.front(kCode);
    r.run(5);
    EXPECT_EQ(r.e.activeBundleID.get(), kFirefox); // asleep now
}
