#include "testing/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace plovane;

TEST(VirtualScheduler, RunsDueTasksInTimeOrderWithClockAtEachDueTime)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    const TimePoint start = clock.now();
    std::vector<std::pair<std::string, double>> ran;
    auto record = [&](std::string name) {
        return [&, name] { ran.emplace_back(name, secondsBetween(start, clock.now())); };
    };
    s.postAfter(2.0, record("b"));
    s.postAfter(1.0, record("a"));
    s.postAfter(2.0, record("c")); // same due time as b: posted later, runs later
    s.post(record("now"));

    EXPECT_EQ(s.advance(1.5), 2);
    EXPECT_EQ(s.advance(10), 2);
    ASSERT_EQ(ran.size(), 4u);
    EXPECT_EQ(ran[0], std::make_pair(std::string("now"), 0.0));
    EXPECT_EQ(ran[1], std::make_pair(std::string("a"), 1.0));
    EXPECT_EQ(ran[2], std::make_pair(std::string("b"), 2.0));
    EXPECT_EQ(ran[3], std::make_pair(std::string("c"), 2.0));
    EXPECT_DOUBLE_EQ(secondsBetween(start, clock.now()), 11.5);
}

TEST(VirtualScheduler, RepostingLoopTicksOncePerInterval)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    int ticks = 0;
    std::function<void()> loop = [&] {
        ++ticks;
        s.postAfter(1.0, loop);
    };
    s.post(loop);
    s.advance(3600);
    EXPECT_EQ(ticks, 3601); // at 0, 1, …, 3600
}

TEST(VirtualScheduler, CancelledTasksDoNotRunAndHandlesReportState)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    int runs = 0;
    TaskHandle cancelled = s.postAfter(1, [&] { ++runs; });
    TaskHandle kept = s.postAfter(1, [&] { ++runs; });
    EXPECT_TRUE(cancelled.isPending());
    cancelled.cancel();
    EXPECT_FALSE(cancelled.isPending());
    s.advance(5);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(kept.isPending());
    kept.cancel(); // harmless after it ran
    EXPECT_EQ(runs, 1);
}

TEST(VirtualScheduler, TaskPostedFromAnotherThreadRunsOnlyWhenTheTestThreadRunsIt)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    std::thread::id ranOn;
    std::thread t([&] { s.post([&] { ranOn = std::this_thread::get_id(); }); });
    t.join();
    EXPECT_EQ(s.queued(), 1u);
    EXPECT_EQ(s.runPending(), 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(ScopedTask, CancelsItsTaskWhenDestroyedReassignedOrMovedFrom)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    std::vector<int> ran;
    {
        ScopedTask dropped = s.postAfter(1, [&] { ran.push_back(1); });
        EXPECT_TRUE(dropped.isPending());
    }
    ScopedTask replaced = s.postAfter(1, [&] { ran.push_back(2); });
    replaced = s.postAfter(1, [&] { ran.push_back(3); });
    ScopedTask moved = std::move(replaced);
    EXPECT_FALSE(replaced.isPending());
    EXPECT_TRUE(moved.isPending());
    s.advance(5);
    EXPECT_EQ(ran, std::vector<int>{3});
    EXPECT_FALSE(moved.isPending());
    moved.cancel(); // harmless after it ran
}

TEST(ScopedTask, RepeatingRunsEveryIntervalUntilItsHandleGoes)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    const TimePoint start = clock.now();
    std::vector<double> at;
    auto repeating = std::make_unique<ScopedTask>(
        ScopedTask::repeating(s, 2, [&] { at.push_back(secondsBetween(start, clock.now())); }, 0));
    s.advance(5);
    EXPECT_EQ(at, (std::vector<double>{0, 2, 4}));
    EXPECT_TRUE(repeating->isPending());
    repeating.reset();
    s.advance(10);
    EXPECT_EQ(at.size(), 3u);
    EXPECT_EQ(s.queued(), 0u) << "a dropped repeating task leaves nothing due";

    // Without a first delay, the first run waits one interval.
    ScopedTask later = ScopedTask::repeating(s, 3, [&] { at.push_back(secondsBetween(start, clock.now())); });
    s.advance(7);
    EXPECT_EQ(at, (std::vector<double>{0, 2, 4, 18, 21}));
}

TEST(ScopedTask, RepeatingTaskThatDropsOrReplacesItselfStops)
{
    FakeClock clock;
    VirtualScheduler s(clock);
    int runs = 0;
    int replacementRuns = 0;
    ScopedTask task;
    task = ScopedTask::repeating(s, 1, [&] {
        if (++runs == 3)
            task = ScopedTask::repeating(s, 10, [&] { ++replacementRuns; });
    });
    s.advance(30);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(replacementRuns, 2); // at 13 and 23

    int selfCancelled = 0;
    ScopedTask once = ScopedTask::repeating(s, 1, [&] {
        ++selfCancelled;
        once.cancel();
    });
    s.advance(5);
    EXPECT_EQ(selfCancelled, 1);
    EXPECT_FALSE(once.isPending());
}

TEST(ScopedTask, BeatClocksKeepToTheGridAndMeet)
{
    FakeClock clock(FakeClock::defaultStart() + std::chrono::milliseconds(300)); // between beats
    VirtualScheduler s(clock);
    const TimePoint start = FakeClock::defaultStart();
    std::vector<std::pair<char, double>> runs;
    auto note = [&](char who) { runs.emplace_back(who, secondsBetween(start, clock.now())); };
    // A second's clock that runs at once, then on whole seconds; a quarter's clock that
    // waits for the first quarter at least an eighth away.
    ScopedTask second = ScopedTask::onBeat(s, 1.0, [&] { note('s'); }, 0);
    ScopedTask quarter = ScopedTask::onBeat(s, 0.25, [&] {
        note('q');
        clock.advance(0.01); // a run's own time does not push the next one off the beat
    });
    s.advance(1.5); // to 1.8
    const std::vector<std::pair<char, double>> expected{
        {'s', 0.3}, {'q', 0.5}, {'q', 0.75}, {'s', 1.0}, {'q', 1.0}, {'q', 1.25}, {'q', 1.5}, {'q', 1.75}};
    ASSERT_EQ(runs.size(), expected.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].first, expected[i].first) << i;
        EXPECT_NEAR(runs[i].second, expected[i].second, 1e-9) << i;
    }

    // A run late by more than a period skips the beats it missed.
    FakeClock slowClock;
    VirtualScheduler slowScheduler(slowClock);
    std::vector<double> slowRuns;
    ScopedTask slow = ScopedTask::onBeat(slowScheduler, 0.25, [&] {
        slowRuns.push_back(secondsBetween(start, slowClock.now()));
        slowClock.advance(0.6);
    });
    slowScheduler.advance(2.0);
    EXPECT_EQ(slowRuns, (std::vector<double>{0.25, 1.0, 1.75}));
}
