#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

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
