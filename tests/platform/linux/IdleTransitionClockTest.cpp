#include "platform/linux/IdleTransitionClock.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

using namespace std::chrono_literals;

// A desktop that only says "idle for the threshold" and "back": the reading is the time
// since the last input past the threshold, and never more than the threshold before.
TEST(IdleTransitionClock, ExactPastTheThresholdAndNeverAboveItWhileTheUserIsAtIt)
{
    const auto t0 = std::chrono::steady_clock::time_point{} + 100s;
    IdleTransitionClock clock(t0);
    // Typing on and on: the desktop says nothing.
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 500ms), 0.5);
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 10s), 1.0);
    // Left alone for the threshold: the last input came that long before it said so.
    clock.idled(t0 + 12s);
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 40s), 29.0);
    clock.resumed(t0 + 41s);
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 41500ms), 0.5);
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 45s), 1.0);
    // A figure asked for is the truth, below the threshold as above it.
    clock.idleFor(90s, t0 + 50s);
    EXPECT_TRUE(clock.paused());
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 51s), 91.0);
    clock.idleFor(300ms, t0 + 60s);
    EXPECT_FALSE(clock.paused());
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 60s), 0.3);
    EXPECT_DOUBLE_EQ(clock.secondsSinceLastInput(t0 + 70s), 1.0);
}

} // namespace
} // namespace plovane
