#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

namespace {
const std::string kToday = "2026-03-02";
const std::string kTomorrow = "2026-03-03";

int savesOf(const EngineRig& rig, const std::string& date)
{
    int n = 0;
    for (const auto& [key, value] : rig.defaults->writes())
        if (key == DailyStats::storeKey(date))
            ++n;
    return n;
}

struct Running : RunningEngine {
    Running() : RunningEngine(kCode, {}, "Code") {}
};
} // namespace

TEST(StatsBooking, SavesAfterEveryTenBookedSeconds)
{
    Running r; // the first tick, at once, booked nothing
    r.run(9);
    EXPECT_EQ(savesOf(r, kToday), 0);
    r.run(1);
    EXPECT_EQ(savesOf(r, kToday), 1);
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), 10);
    r.run(10);
    EXPECT_EQ(savesOf(r, kToday), 2);

    r.jump(25);
    r.run(0); // 25 s at once: saved at once
    EXPECT_EQ(savesOf(r, kToday), 3);
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), 45);
    r.run(9);
    EXPECT_EQ(savesOf(r, kToday), 3);
    r.run(1);
    EXPECT_EQ(savesOf(r, kToday), 4);
}

TEST(StatsBooking, StopSavesWhatWasBookedSinceTheLastSave)
{
    Running r;
    r.run(12); // 12 s booked, 10 of them saved
    ASSERT_EQ(r.stored(kToday)->totalTrackedSeconds(), 10);
    r.e.stop();
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), 12);
    EXPECT_EQ(r.stored(kToday)->appNames.at(kCode), "Code");

    r.defaults->clearWrites();
    r.e.stop(); // nothing new: nothing written
    EXPECT_TRUE(r.defaults->writes().empty());

    // A relaunch the same day resumes every second.
    r.engine.reset();
    DiveEngine& again = r.makeEngine();
    EXPECT_EQ(again.dailyStats->totalTrackedSeconds(), 12);
}

TEST(StatsBooking, FirstBookingAfterMidnightSavesYesterdayUnderItsOwnKey)
{
    Running r;
    r.run(5);
    r.jump(kSecondsToMidnight - 5 - 3); // 23:59:57; after such a gap the engine starts afresh
    r.run(0);
    r.run(2); // 23:59:58 and 23:59:59
    const long long focus = r.e.focusSeconds.get();
    const long long yesterday = r.e.dailyStats->totalTrackedSeconds();
    const int yesterdaySaves = savesOf(r, kToday);

    r.run(5); // 00:00:00 to 00:00:04
    EXPECT_EQ(savesOf(r, kToday), yesterdaySaves + 1);
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), yesterday);
    EXPECT_EQ(r.e.dailyStats->date, kTomorrow);
    EXPECT_EQ(r.e.dailyStats->totalTrackedSeconds(), 5);
    EXPECT_EQ(r.e.focusSeconds.get(), focus + 5); // the shift goes on across midnight

    r.run(60);
    EXPECT_EQ(savesOf(r, kToday), yesterdaySaves + 1); // yesterday is left alone now
    EXPECT_GE(savesOf(r, kTomorrow), 1);
}

TEST(StatsBooking, ClockSetBackToAStoredDayContinuesThatDay)
{
    EngineRig rig;
    DailyStats earlier{.date = "2026-03-01"};
    earlier.add(5000, DiveState::research, "org.mozilla.firefox", "Firefox");
    earlier.save(*rig.defaults);
    rig.front(kCode, "Code");
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    rig.run(15); // 15 s today

    e.stop();
    rig.clock.advance(-86400); // the user sets the date back a day
    e.start();
    rig.run(20);
    EXPECT_EQ(e.dailyStats->date, "2026-03-01");
    EXPECT_EQ(e.dailyStats->stateDurations.at("Research"), 5000);
    EXPECT_EQ(e.dailyStats->appDurations.at("org.mozilla.firefox"), 5000);
    EXPECT_EQ(rig.stored(kToday)->totalTrackedSeconds(), 15);

    e.stop();
    EXPECT_EQ(rig.stored("2026-03-01")->totalTrackedSeconds(), 5000 + 20);
}

TEST(StatsBooking, CorruptStoredDayLoadsEmptyAndIsReplacedAtTheNextSave)
{
    EngineRig rig;
    rig.defaults->set(DailyStats::storeKey(kToday),
                      nlohmann::json::parse(R"({"date":"2026-03-02","stateDurations":{"Flow":"lots"},
                                               "appDurations":{},"appNames":{}})"));
    rig.front(kCode, "Code");
    DiveEngine& e = rig.startEngine();
    EXPECT_EQ(e.dailyStats.get(), DailyStats{.date = kToday});
    rig.scheduler.runPending();
    rig.run(10);
    const auto replaced = rig.stored(kToday);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->stateDurations.at("Flow"), 10);
}

TEST(StatsBooking, SleepAcrossMidnightBooksEachDaysPartToThatDay)
{
    Running r;
    r.jump(kSecondsToMidnight - 60);
    r.run(0);
    const long long before = r.e.dailyStats->totalTrackedSeconds();
    r.sleep();
    r.jump(120); // asleep from 23:59 to 00:01
    r.wake();
    EXPECT_EQ(r.e.dailyStats->date, kTomorrow);
    EXPECT_EQ(r.e.dailyStats->stateDurations, (std::map<std::string, long long>{{"Resting", 60}}));
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), before + 60);
    EXPECT_EQ(r.stored(kToday)->stateDurations.at("Resting"), 60);
    EXPECT_EQ(r.stored(kTomorrow)->totalTrackedSeconds(), 60);
}

TEST(StatsBooking, GapAcrossMidnightIsSplitBetweenTheTwoDays)
{
    Running r; // 09:00
    r.run(1);
    r.jump(kSecondsToMidnight - 301);
    r.run(0); // 23:55 after a long gap: a fresh start, nothing booked
    ASSERT_EQ(r.e.dailyStats->totalTrackedSeconds(), 1);
    r.jump(600); // the machine stalls ten minutes, across midnight
    r.run(0);
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), 1 + 300);
    EXPECT_EQ(r.stored(kToday)->appDurations.at(kCode), 1 + 300);
    EXPECT_EQ(r.e.dailyStats->date, kTomorrow);
    EXPECT_EQ(r.e.dailyStats->totalTrackedSeconds(), 300);
}

TEST(StatsBooking, WeekendSleepBooksEachDayItSpansAndNoDayMoreThanItHolds)
{
    EngineRig rig;
    DailyStats stored{.date = "2026-03-03"};
    stored.add(100, DiveState::flow, kCode, "Code");
    stored.save(*rig.defaults);
    rig.front(kCode, "Code");
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending(); // 09:00 on the 2nd
    rig.jump(kSecondsToMidnight - 6 * 3600);
    rig.run(0);           // 18:00, after a long gap: nothing booked
    rig.sleep();
    rig.jump(226800); // 63 hours: until 09:00 on the 5th
    rig.wake();

    const auto resting = [&](const std::string& date) { return rig.stored(date)->stateDurations.at("Resting"); };
    EXPECT_EQ(resting("2026-03-02"), 6 * 3600);
    EXPECT_EQ(resting("2026-03-03"), 86400);
    EXPECT_EQ(rig.stored("2026-03-03")->stateDurations.at("Flow"), 100); // loaded and added to, not replaced
    EXPECT_EQ(resting("2026-03-04"), 86400);
    EXPECT_EQ(e.dailyStats->date, "2026-03-05");
    EXPECT_EQ(e.dailyStats->stateDurations.at("Resting"), 9 * 3600);
    EXPECT_EQ(resting("2026-03-05"), 9 * 3600);
}

TEST(StatsBooking, DayChangeFollowsATimeZoneChangedWhileRunning)
{
    Running r; // 09:00 UTC on the 2nd
    r.run(5);
    ::setenv("TZ", "GMT-16", 1); // the user lands sixteen hours east: 01:00 on the 3rd
    r.run(5);
    ::setenv("TZ", "UTC", 1);
    EXPECT_EQ(r.e.dailyStats->date, kTomorrow);
    EXPECT_EQ(r.stored(kToday)->totalTrackedSeconds(), 5);
}

TEST(StatsBooking, UnknownFrontmostBooksTheStateOnly)
{
    EngineRig rig;
    rig.noFront();
    DiveEngine& e = rig.startEngine();
    rig.scheduler.runPending();
    rig.run(5);
    EXPECT_EQ(e.dailyStats->totalTrackedSeconds(), 5);
    EXPECT_TRUE(e.dailyStats->appDurations.empty());
    EXPECT_TRUE(e.dailyStats->appNames.empty());
}
