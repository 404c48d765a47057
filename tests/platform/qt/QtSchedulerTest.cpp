#include "platform/qt/QtScheduler.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

using namespace plovane;

namespace {
int argc = 1;
char arg0[] = "qt-scheduler-test";
char* argv[] = {arg0, nullptr};
} // namespace

TEST(QtScheduler, RunsPostedAndDelayedTasksOnTheMainThreadInOrder)
{
    QCoreApplication app(argc, argv);
    QtScheduler s(&app);
    std::vector<int> order;
    const auto mainThread = std::this_thread::get_id();
    bool allOnMain = true;
    auto note = [&](int n) {
        return [&, n] {
            order.push_back(n);
            allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
        };
    };
    s.postAfter(0.05, note(3));
    s.post(note(1));
    TaskHandle cancelled = s.postAfter(0.02, note(99));
    cancelled.cancel();
    std::thread worker([&] { s.post(note(2)); });
    worker.join();
    s.postAfter(0.1, [&] { app.quit(); });
    QTimer::singleShot(5000, &app, [&] { app.quit(); }); // safety net
    QElapsedTimer t;
    t.start();
    app.exec();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(allOnMain);
    EXPECT_GE(t.elapsed(), 90);
}

TEST(QtScheduler, RepeatingScopedTaskTicksUntilItsHandleGoes)
{
    QCoreApplication app(argc, argv);
    QtScheduler s(&app);
    int ticks = 0;
    std::unique_ptr<ScopedTask> repeating;
    repeating = std::make_unique<ScopedTask>(ScopedTask::repeating(s, 0.01, [&] {
        if (++ticks == 3)
            repeating.reset(); // the run that drops its own handle is the last
    }, 0));
    ScopedTask dropped = s.postAfter(0.02, [&] { ticks += 100; });
    dropped = {};
    s.postAfter(0.15, [&] { app.quit(); });
    QTimer::singleShot(5000, &app, [&] { app.quit(); }); // safety net
    app.exec();
    EXPECT_EQ(ticks, 3);
}

TEST(QtScheduler, ClocksOnBeatsShareOneWakeup)
{
    QCoreApplication app(argc, argv);
    QtScheduler s(&app);
    // Counts the event loop's sleeps: runs that see the same count ran in one wakeup.
    int sleeps = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app,
                     [&] { ++sleeps; });
    // A slow clock and a fast one whose period divides it, on two schedulers (the engine's
    // and a view's): on every slow beat both are due, and they must run in the same
    // wakeup, not a timer each.
    QObject view;
    QtScheduler viewScheduler(&view);
    std::vector<std::pair<char, int>> runs;
    ScopedTask slow = ScopedTask::onBeat(s, 0.2, [&] { runs.emplace_back('s', sleeps); });
    ScopedTask fast = ScopedTask::onBeat(viewScheduler, 0.05, [&] { runs.emplace_back('f', sleeps); });
    // A task whose scheduler's context has gone never runs.
    bool orphanRan = false;
    {
        auto gone = std::make_unique<QObject>();
        QtScheduler goneScheduler(gone.get());
        goneScheduler.postOnBeat(0.05, 0.0, [&] { orphanRan = true; });
    }
    s.postAfter(0.85, [&] { app.quit(); });
    QTimer::singleShot(5000, &app, [&] { app.quit(); }); // safety net
    app.exec();

    int slowRuns = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].first != 's')
            continue;
        ++slowRuns;
        const bool before = i > 0 && runs[i - 1] == std::make_pair('f', runs[i].second);
        const bool after = i + 1 < runs.size() && runs[i + 1] == std::make_pair('f', runs[i].second);
        EXPECT_TRUE(before || after) << "slow run " << slowRuns << " woke on its own";
    }
    EXPECT_GE(slowRuns, 3);
    // The fast clock keeps its beat: ~17 runs in 0.85 s, none doubled up or lost.
    const auto fastRuns = std::count_if(runs.begin(), runs.end(), [](const auto& r) { return r.first == 'f'; });
    EXPECT_GE(fastRuns, 14);
    EXPECT_LE(fastRuns, 17);
    EXPECT_FALSE(orphanRan);
}
