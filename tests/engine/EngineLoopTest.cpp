#include "EngineRig.h"
#include "platform/AppIdentity.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {
std::vector<std::string> recentIDs(const DiveEngine& e)
{
    std::vector<std::string> ids;
    for (const auto& app : e.recentApps.get())
        ids.push_back(app.bundleID);
    return ids;
}
} // namespace

TEST(EngineConstruction, StartsWithInitialValuesAndTouchesNothing)
{
    EngineRig rig(Language::en);
    rig.front(kCode);
    DiveEngine& e = rig.makeEngine();

    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_EQ(e.o2.get(), 100.0);
    EXPECT_EQ(e.depth.get(), 0.0);
    EXPECT_EQ(e.focusSeconds.get(), 0);
    EXPECT_EQ(e.activeAppName.get(), "Unknown");
    EXPECT_EQ(e.activeBundleID.get(), "unknown.bundle.id");
    EXPECT_EQ(e.ideStateSummary.get(), "disabled");
    EXPECT_EQ(e.achillesTargets.get(), std::set<AchillesTarget>{AchillesTarget::varicoseVeins});
    EXPECT_TRUE(e.recentApps->empty());
    EXPECT_FALSE(e.isMusicPlaying.get());
    EXPECT_FALSE(e.knockHintVisible.get());
    EXPECT_FALSE(e.narcosisWarningVisible.get());
    EXPECT_EQ(e.adviceText.get(), "Feeling good, let's go!");
    EXPECT_EQ(e.dailyStats->date, "2026-03-02");
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), 0);
    EXPECT_TRUE(e.dailyStats->topApps().empty());
    EXPECT_FALSE(e.shouldEnterDecompressionLayout());

    // Nothing polled, scheduled or stored before start().
    EXPECT_EQ(rig.workspace.runningQueries, 0);
    EXPECT_EQ(rig.ide->calls, 0);
    EXPECT_EQ(rig.input->starts, 0);
    EXPECT_EQ(rig.scheduler.queued(), 0u);
    EXPECT_TRUE(rig.defaults->writes().empty());

    // The first advice stays in the language it was made in.
    AppLanguage::shared().language = Language::zh;
    EXPECT_EQ(e.adviceText.get(), "Feeling good, let's go!");
}

TEST(EngineConstruction, ChineseInitialAdviceAndResumedDay)
{
    EngineRig rig(Language::zh);
    DailyStats stored{.date = "2026-03-02"};
    stored.add(300, DiveState::flow, kCode, "Code");
    stored.save(*rig.defaults);
    DiveEngine& e = rig.makeEngine();
    EXPECT_EQ(e.adviceText.get(), "键盘敲得飞起，感觉能行！");
    EXPECT_EQ(e.dailyStats.get(), stored);
}

TEST(EngineLoop, TicksOncePerIntervalUntilStoppedAndRestartsWithoutDoubling)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine();
    EXPECT_TRUE(e.isRunning());
    EXPECT_EQ(rig.input->starts, 1);
    EXPECT_EQ(rig.ide->calls, 0); // the first tick waits for the main thread
    rig.scheduler.runPending();
    EXPECT_EQ(rig.ide->calls, 1);
    rig.run(10);
    EXPECT_EQ(rig.ide->calls, 11);

    e.start(); // a second start replaces the loop
    rig.run(10);
    EXPECT_EQ(rig.ide->calls, 22);
    EXPECT_EQ(rig.input->starts, 2);

    e.stop();
    EXPECT_FALSE(e.isRunning());
    EXPECT_EQ(rig.input->stops, 3); // each start() stops first
    rig.run(10);
    EXPECT_EQ(rig.ide->calls, 22);
    e.stop(); // harmless when stopped
}

TEST(EngineLoop, EngineDestroyedWhileRunningLeavesNoTaskBehind)
{
    EngineRig rig;
    rig.startEngine();
    rig.run(3);
    rig.sleepWake.willSleep.emit(); // a handler is now queued for the engine
    rig.engine.reset();
    EXPECT_NO_FATAL_FAILURE(rig.run(5));
    EXPECT_EQ(rig.sleepWake.willSleep.slotCount(), 0u);
}

TEST(EngineTick, FirstTickCountsTheFrontmostAppAsASwitchAndBooksFromTheNextSecond)
{
    EngineRig rig;
    rig.front(kMail, "Evolution");
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    EXPECT_EQ(e.activeAppName.get(), "Evolution");
    EXPECT_EQ(e.activeBundleID.get(), kMail);
    EXPECT_EQ(e.switches60s.get(), 1);
    EXPECT_EQ(recentIDs(e), std::vector<std::string>{kMail});
    EXPECT_EQ(e.recentApps->front().id, kMail);
    EXPECT_FALSE(e.recentApps->front().isNitrogen);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), 0); // no time has passed yet
    rig.run(1);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), 1);
    EXPECT_EQ(e.dailyStats->appDurations.at(kMail), 1);
}

// Ticks on a one-second beat come a little early or late; the shift clock and the day
// count the time that passed, not the ticks, nor each tick's whole seconds alone.
TEST(EngineTick, ShiftClockAndDayKeepTheTimeThatPassedWhenTicksComeUnevenly)
{
    EngineRig rig;
    rig.front(kFirefox); // research: an hour of it leaves the gauge far from empty
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    e.stop();
    const long long booked = e.dailyStats->totalTrackedSeconds();
    const int gapsMs[] = {999, 1001, 980, 1020, 1500};
    long long passedMs = 0;
    for (int i = 0; passedMs + gapsMs[i % 5] <= 3'600'000; ++i) {
        rig.jump(gapsMs[i % 5] / 1000.0);
        passedMs += gapsMs[i % 5];
        e.tickForTesting();
    }
    rig.jump((3'600'500 - passedMs) / 1000.0);
    e.tickForTesting();
    ASSERT_EQ(e.state.get(), DiveState::research);
    EXPECT_EQ(e.focusSeconds.get(), 3600);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds() - booked, 3600);
}

TEST(EngineTick, WorkToWorkSwitchesAreNotCountedButStillMoveRecentApps)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    EXPECT_EQ(e.switches60s.get(), 1); // from the unknown placeholder

    rig.run(1); // same app again: nothing new
    EXPECT_EQ(e.switches60s.get(), 1);

    rig.front(kFirefox); // oxygen -> research
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), 1);
    EXPECT_EQ(recentIDs(e), (std::vector<std::string>{kFirefox, kCode}));

    rig.front("org.gnome.Terminal"); // research -> oxygen
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), 1);

    rig.front(kMail); // work -> other
    rig.run(1);
    rig.front(kCode); // other -> work
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), 3);
}

TEST(EngineTick, SwitchesLeaveTheWindowOnceMoreThanSixtySecondsOld)
{
    EngineRig rig;
    rig.front(kMail);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending(); // switch at t = 0
    rig.run(60);                // t = 60: exactly 60 s old still counts
    EXPECT_EQ(e.switches60s.get(), 1);
    rig.run(1); // t = 61
    EXPECT_EQ(e.switches60s.get(), 0);
}

TEST(EngineTick, OverloadNeedsSixSwitchesAndRaisesTheWarningOnlyOnSwitchTicks)
{
    EngineRig rig;
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    const std::string apps[] = {"a.one", "a.two", "a.three", "a.four", "a.five"};
    for (const auto& app : apps) {
        rig.front(app);
        rig.run(1);
    }
    EXPECT_EQ(e.switches60s.get(), 5);
    EXPECT_FALSE(e.narcosisWarningVisible.get()); // 5 is not more than 5

    rig.front("a.six");
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), 6);
    EXPECT_TRUE(e.narcosisWarningVisible.get());
    EXPECT_EQ(e.state.get(), DiveState::flow); // chaos is off by default

    rig.run(1); // no switch
    EXPECT_FALSE(e.narcosisWarningVisible.get());

    rig.front(kCode);
    rig.run(1);
    EXPECT_TRUE(e.narcosisWarningVisible.get());
    rig.run(1);
    EXPECT_FALSE(e.narcosisWarningVisible.get());
    rig.front(kFirefox); // a switch between work tools is not counted, yet warns while overloaded
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), 7);
    EXPECT_TRUE(e.narcosisWarningVisible.get());
}

TEST(EngineTick, RecentAppsKeepFiveDistinctNewestFirstAndNeverTheProgramItself)
{
    EngineRig rig;
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    for (const std::string app : {"a.1", "a.2", "a.3", "a.4", "a.5", "a.6"}) {
        rig.front(app);
        rig.run(1);
    }
    EXPECT_EQ(recentIDs(e), (std::vector<std::string>{"a.6", "a.5", "a.4", "a.3", "a.2"}));

    rig.front("a.4");
    rig.run(1);
    EXPECT_EQ(recentIDs(e), (std::vector<std::string>{"a.4", "a.6", "a.5", "a.3", "a.2"}));

    const int before = e.switches60s.get();
    rig.front(std::string(kAppIdentifier));
    rig.run(1);
    EXPECT_EQ(e.switches60s.get(), before + 1);
    EXPECT_EQ(recentIDs(e).front(), "a.4");

    rig.front(kChat, "WeChat");
    rig.run(1);
    EXPECT_TRUE(e.recentApps->front().isNitrogen);
    EXPECT_EQ(e.recentApps->front().name, "WeChat");
}

TEST(EngineTick, MusicCountsWhileAPlayerRunsAnywhere)
{
    EngineRig rig;
    rig.front(kCode);
    rig.workspace.running = {{"", "nameless", "", 5}, {kCode, "Code", "", 6}};
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    EXPECT_FALSE(e.isMusicPlaying.get());

    rig.workspace.running.push_back({"com.spotify.client", "Spotify", "", 7});
    rig.run(1);
    EXPECT_TRUE(e.isMusicPlaying.get());

    rig.workspace.running.pop_back();
    rig.workspace.running.push_back({"com.Spotify.Client", "Spotify", "", 7}); // case matters
    rig.run(1);
    EXPECT_FALSE(e.isMusicPlaying.get());
}

TEST(EngineTick, GapsBelowHalfAnHourAreBookedAndLongerOnesStartAfresh)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    rig.run(9);
    const long long before = e.dailyStats->totalTrackedSeconds();

    rig.jump(1799.9); // the pending tick runs 1799.9 s after the last one
    rig.run(0);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), before + 1799);
    EXPECT_NE(e.state.get(), DiveState::hovering);

    const long long afterGap = e.dailyStats->totalTrackedSeconds();
    rig.jump(1800);
    rig.run(0); // a 1800 s gap: a fresh start, nothing booked
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), afterGap);
    EXPECT_EQ(e.state.get(), DiveState::hovering);
    EXPECT_EQ(e.o2.get(), 100.0);
    EXPECT_EQ(e.focusSeconds.get(), 0);
    EXPECT_EQ(e.switches60s.get(), 0);
    EXPECT_EQ(e.adviceText.get(), "Welcome back! Fully recharged. Let's go 💪");

    rig.run(1); // the next tick runs normally again
    EXPECT_EQ(e.state.get(), DiveState::flow);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), afterGap + 1);
}

TEST(EngineTick, ClockSetBackwardsBooksNothing)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    const long long before = e.dailyStats->totalTrackedSeconds();
    const long long focus = e.focusSeconds.get();
    e.stop();
    rig.clock.advance(-120);
    e.tickForTesting();
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), before);
    EXPECT_EQ(e.focusSeconds.get(), focus); // no time integrated
}

TEST(EngineTick, SteadyTickOnlyAnnouncesTheDaysBooking)
{
    EngineRig rig;
    rig.front(kMail);
    rig.away(300);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    rig.run(15); // hovering, advice rotated, gauges at rest

    int announcements = 0;
    int bookings = 0;
    Connection a = e.objectWillChange.connect([&] { ++announcements; });
    Connection b = e.dailyStats.didSet.connect([&](const DailyStats&) { ++bookings; });
    rig.run(1);
    EXPECT_EQ(e.state.get(), DiveState::hovering);
    EXPECT_EQ(bookings, 1);
    EXPECT_EQ(announcements, 1); // nothing else was rewritten
}

TEST(EngineTick, WhileAsleepNothingIsPublished)
{
    EngineRig rig;
    rig.front(kCode);
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    rig.sleep();
    int announcements = 0;
    Connection c = e.objectWillChange.connect([&] { ++announcements; });
    rig.front(kMail);
    rig.workspace.running = {{"com.spotify.client", "Spotify", "", 3}};
    rig.run(30);
    EXPECT_EQ(announcements, 0);
    EXPECT_EQ(rig.ide->calls, 1);
}

TEST(EngineLoop, DebugLogTracesEachTicksSensingAndNothingByDefault)
{
    std::vector<std::string> lines;
    setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    setLogThreshold(LogLevel::info);
    RunningEngine r(kCode, {}, "Code");
    r.run(5);
    EXPECT_TRUE(lines.empty());

    setLogThreshold(LogLevel::debug);
    r.away(45);
    r.run(1);
    setLogSink({});
    setLogThreshold(LogLevel::info);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "debug: tick: no input 45.0 s, switches 1 in 60 s, front " + std::string(kCode) +
                            " \"Code\", ide disabled -> Hovering, o2 99.8, depth 0.2, shift 5");
}
