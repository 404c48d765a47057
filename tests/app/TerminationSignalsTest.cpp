#include "app/TerminationSignals.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <vector>

using namespace plovane;

namespace {
int argc = 1;
char arg0[] = "termination-signals-test";
char* argv[] = {arg0, nullptr};

volatile std::sig_atomic_t previousHandlerRan = 0;
extern "C" void previousHandler(int) { previousHandlerRan = 1; }
} // namespace

TEST(TerminationSignals, EachSignalReachesTheMainThreadThroughTheEventLoop)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    std::vector<int> received;
    const auto mainThread = std::this_thread::get_id();
    bool onMain = true;
    TerminationSignals guard([&](int n) {
        received.push_back(n);
        onMain = onMain && std::this_thread::get_id() == mainThread;
    });

    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        const auto before = received.size();
        std::raise(s);
        EXPECT_EQ(received.size(), before) << "the handler never runs inside the signal";
        for (int i = 0; i < 100 && received.size() == before; ++i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    EXPECT_TRUE(onMain);
}

TEST(TerminationSignals, RestoresThePreviousHandlersWhenDestroyed)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGHUP, previousHandler);
    {
        TerminationSignals guard([](int) {});
        std::raise(SIGHUP);
        EXPECT_EQ(previousHandlerRan, 0);
    }
    std::raise(SIGHUP);
    EXPECT_EQ(previousHandlerRan, 1);
    std::signal(SIGHUP, SIG_DFL);
}

TEST(TerminationSignals, HangupsIgnoredAtStartStayIgnoredButTermIsAlwaysHandled)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    std::vector<int> received;
    TerminationSignals guard([&](int n) { received.push_back(n); });
    std::raise(SIGHUP);
    std::raise(SIGTERM);
    for (int i = 0; i < 100 && received.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QCoreApplication::processEvents();
    EXPECT_EQ(received, (std::vector<int>{SIGTERM}));
}
