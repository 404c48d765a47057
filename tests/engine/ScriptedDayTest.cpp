// One whole working day in virtual time, with the default tuning (45 minute session,
// 10 minute rest): per second, flow drains 1/27 of a point, research 1/54, chaos 5/27,
// and a rest refills 1/6.

#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {
constexpr double kFlow = 1.0 / 27;
constexpr double kResearch = 1.0 / 54;
constexpr double kChaos = 5.0 / 27;
constexpr double kRest = 1.0 / 6;
constexpr double kShown = 0.051; // published gauges carry one decimal
} // namespace

TEST(ScriptedDay, WorkResearchDistractionIdleRestExhaustionGapAndSleep)
{
    EngineRig rig;
    std::vector<DiveState> states;
    rig.front(kCode, "Code");
    DiveEngine& e = rig.startEngine();
    Connection c = e.state.didSet.connect([&](const DiveState& s) { states.push_back(s); });
    double o2 = 100;
    double depth = 0;

    // 09:00 Twenty minutes in the editor (the first tick, at once, books and integrates nothing).
    rig.scheduler.runPending();
    rig.run(1200);
    o2 -= 1200 * kFlow;
    depth += 1200 * 3.0 / 60;
    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_NEAR(e.o2.get(), o2, kShown);
    EXPECT_NEAR(e.depth.get(), depth, kShown);

    // 09:20 Reading documentation for 601 s.
    rig.front(kFirefox, "Firefox");
    rig.run(601);
    o2 -= 601 * kResearch;
    depth += 601 * 2.0 / 60;
    EXPECT_EQ(e.state.get(), DiveState::research);
    EXPECT_EQ(e.switches60s.get(), 0); // editor to browser is not a distraction
    EXPECT_NEAR(e.o2.get(), o2, kShown);

    // 09:30 A chat app, first with chaos off (plain flow), then on: three ticks of grace,
    // then a minute of chaos.
    rig.front(kChat, "WeChat");
    rig.run(60);
    EXPECT_EQ(e.state.get(), DiveState::flow);
    HUDSettings::shared().chaosEnabled = true;
    rig.run(3);
    EXPECT_EQ(e.state.get(), DiveState::flow);
    rig.run(60);
    EXPECT_EQ(e.state.get(), DiveState::chaos);
    EXPECT_TRUE(e.narcosisWarningVisible.get());
    o2 -= 63 * kFlow + 60 * kChaos;
    depth += 63 * 3.0 / 60 + 60 * 7.0 / 60;
    EXPECT_NEAR(e.o2.get(), o2, kShown);

    // Chaos off again and back to the editor for a minute.
    HUDSettings::shared().chaosEnabled = false;
    rig.front(kCode, "Code");
    rig.run(60);
    o2 -= 60 * kFlow;
    depth += 3;
    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_FALSE(e.narcosisWarningVisible.get());
    EXPECT_NEAR(e.depth.get(), depth, kShown);

    // Ten minutes away from the keyboard: O2 holds, depth falls 6 a minute.
    rig.away(100);
    rig.run(600);
    depth -= 60;
    EXPECT_EQ(e.state.get(), DiveState::hovering);
    EXPECT_NEAR(e.o2.get(), o2, kShown);
    EXPECT_NEAR(e.depth.get(), depth, kShown);

    // A rest taken by hand: five minutes away, then 30 s of typing end it.
    e.triggerManualSurface();
    rig.run(300);
    rig.typing();
    rig.run(30);
    EXPECT_EQ(e.state.get(), DiveState::resting);
    o2 += 330 * kRest;
    depth = 0;
    EXPECT_NEAR(e.o2.get(), o2, kShown);
    EXPECT_EQ(e.depth.get(), 0.0);
    rig.run(1);
    EXPECT_EQ(e.state.get(), DiveState::flow);

    // Working on until the gauge is empty. 2261.5 flow ticks' worth is left when the
    // re-dive tick runs; after 2261 of them half a tick's worth remains, which shows as
    // 0.0, and the next tick reads that as exhausted.
    ASSERT_NEAR(o2 / kFlow, 2261.5, 1e-6);
    rig.run(2260);
    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_EQ(e.o2.get(), 0.0);
    rig.run(1);
    EXPECT_EQ(e.state.get(), DiveState::critical);
    depth = 2261 * 3.0 / 60;
    EXPECT_NEAR(e.depth.get(), depth, kShown);
    EXPECT_EQ(e.focusSeconds.get(), 1200 + 601 + 123 + 60 + 2261);
    rig.run(224); // critical holds while the user keeps typing
    EXPECT_EQ(e.state.get(), DiveState::critical);

    // A ten-minute rest out of critical.
    rig.away(100);
    e.triggerManualSurface();
    rig.run(600);
    EXPECT_EQ(e.state.get(), DiveState::resting);
    EXPECT_EQ(e.o2.get(), 100.0);
    EXPECT_NEAR(e.depth.get(), depth - 100, kShown);

    // The program is stalled for half an hour: a fresh start, nothing booked for the gap.
    rig.jump(1800);
    rig.run(0);
    EXPECT_EQ(e.state.get(), DiveState::hovering);
    EXPECT_EQ(e.focusSeconds.get(), 0);
    EXPECT_EQ(e.depth.get(), 0.0);
    rig.run(600);

    // Asleep from 11:20 until ten past midnight.
    rig.sleep();
    const double asleep = 54600 - 8400;
    const long long asleepBeforeMidnight = 54000 - 8400; // the last 600 s fall on the new day
    rig.jump(asleep);
    rig.wake();

    // A minute of work on the new day.
    rig.typing();
    rig.run(60);

    EXPECT_EQ(states, (std::vector<DiveState>{DiveState::research, DiveState::flow, DiveState::chaos, DiveState::flow,
                                              DiveState::hovering, DiveState::resting, DiveState::flow,
                                              DiveState::critical, DiveState::resting, DiveState::hovering,
                                              DiveState::flow}));
    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_NEAR(e.o2.get(), 100 - 60 * kFlow, kShown);
    EXPECT_NEAR(e.depth.get(), 3.0, kShown);
    EXPECT_EQ(e.focusSeconds.get(), 60);

    const auto day1 = rig.stored("2026-03-02");
    ASSERT_TRUE(day1);
    EXPECT_EQ(day1->stateDurations, (std::map<std::string, long long>{{"Flow", 1200 + 60 + 3 + 60 + 2261},
                                                                      {"Research", 601},
                                                                      {"Chaos", 60},
                                                                      {"Hovering", 600 + 600},
                                                                      {"Resting", 330 + 600 + asleepBeforeMidnight},
                                                                      {"Critical", 225}}));
    EXPECT_EQ(day1->appDurations, (std::map<std::string, long long>{
                                      {kCode, 1200 + 60 + 600 + 330 + 2486 + 600 + 600},
                                      {kFirefox, 601},
                                      {kChat, 123}}));
    EXPECT_EQ(day1->appNames.at(kChat), "WeChat");
    EXPECT_EQ(day1->totalTrackedSeconds(), 6600 + asleepBeforeMidnight);
    ASSERT_EQ(day1->topApps().size(), 3u);
    EXPECT_EQ(day1->topApps().front().bundleID, kCode);

    EXPECT_EQ(e.dailyStats->date, "2026-03-03");
    EXPECT_EQ(e.dailyStats->stateDurations,
              (std::map<std::string, long long>{{"Resting", static_cast<long long>(asleep) - asleepBeforeMidnight},
                                                {"Flow", 60}}));
    EXPECT_EQ(e.dailyStats->appDurations, (std::map<std::string, long long>{{kCode, 60}}));

    e.stop();
    EXPECT_EQ(rig.stored("2026-03-03"), e.dailyStats.get());
}
