#include "platform/qt/Animation.h"
#include "platform/qt/AnimationDriver.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace plovane;

TEST(Animation, EaseCurvesStartEndAndBendAsNamed)
{
    const Animation inOut = Animation::easeInOut(0.8);
    EXPECT_DOUBLE_EQ(inOut.fraction(0.0), 0.0);
    EXPECT_NEAR(inOut.fraction(0.4), 0.5, 1e-4); // symmetric about its middle
    EXPECT_LT(inOut.fraction(0.1), 0.1 / 0.8);   // slow start
    EXPECT_GT(inOut.fraction(0.7), 0.7 / 0.8);   // slow end
    EXPECT_DOUBLE_EQ(inOut.fraction(0.8), 1.0);
    EXPECT_TRUE(inOut.isFinished(0.8));
    EXPECT_FALSE(inOut.isFinished(0.79));

    const Animation out = Animation::easeOut(0.3);
    EXPECT_GT(out.fraction(0.15), 0.5); // fast start
    EXPECT_DOUBLE_EQ(out.fraction(1.0), 1.0);
}

TEST(Animation, SpringOvershootsWhenUnderdampedAndComesToRest)
{
    const Animation bouncy = Animation::spring(0.3, 0.7);
    double peak = 0.0;
    for (double t = 0; t < bouncy.passDuration(); t += 0.002)
        peak = std::max(peak, bouncy.fraction(t));
    EXPECT_GT(peak, 1.0);
    EXPECT_LT(peak, 1.1); // damping 0.7 overshoots by about 4.6 %
    EXPECT_NEAR(bouncy.fraction(bouncy.passDuration() - 0.001), 1.0, 2e-3);
    EXPECT_TRUE(bouncy.isFinished(bouncy.passDuration()));

    const Animation critical = Animation::spring(0.4, 1.0);
    for (double t = 0; t < critical.passDuration(); t += 0.005)
        EXPECT_LE(critical.fraction(t), 1.0);
    // A shorter response settles sooner.
    EXPECT_LT(Animation::spring(0.3, 0.7).passDuration(), Animation::spring(0.5, 0.7).passDuration());
}

TEST(Animation, RepeatForeverRunsBackAndForthAndNeverFinishes)
{
    const Animation loop = Animation::easeInOut(0.35).repeatForever();
    EXPECT_NEAR(loop.fraction(0.35 - 1e-9), 1.0, 1e-6);
    EXPECT_NEAR(loop.fraction(0.35 + 0.175), 0.5, 1e-4); // halfway back down
    EXPECT_NEAR(loop.fraction(0.70), 0.0, 1e-6);
    EXPECT_NEAR(loop.fraction(0.35 * 7 + 0.175), 0.5, 1e-4);
    EXPECT_FALSE(loop.isFinished(1e6));
}

TEST(AnimationDriver, TimerRunsOnlyWhileSomethingMoves)
{
    int argc = 1;
    char arg0[] = "animation-test";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    double now = 100.0;
    AnimationDriver driver;
    driver.setTimeSource([&] { return now; });
    int frames = 0;
    AnimatedValue opacity(driver, 0.4, [&] { ++frames; });
    EXPECT_FALSE(driver.isRunning());

    opacity.animateTo(1.0, Animation::easeInOut(0.6));
    EXPECT_TRUE(driver.isRunning());
    EXPECT_DOUBLE_EQ(opacity.value(), 0.4);
    now += 0.3;
    driver.tick();
    EXPECT_NEAR(opacity.value(), 0.7, 1e-4);
    EXPECT_EQ(frames, 1);

    // Retargeting starts from where the value is now, not from the old start.
    opacity.animateTo(0.4, Animation::easeInOut(0.6));
    EXPECT_NEAR(opacity.value(), 0.7, 1e-4);
    now += 0.61;
    driver.tick();
    EXPECT_DOUBLE_EQ(opacity.value(), 0.4);
    EXPECT_FALSE(driver.isRunning());

    // A loop keeps the timer alive, at its own lower frame rate, until it is set still.
    AnimatedValue bounce(driver, 0.0);
    bounce.animateTo(1.0, Animation::easeInOut(0.45).repeatForever().atFrameRate(30));
    now += 100.0;
    driver.tick();
    EXPECT_TRUE(driver.isRunning());
    bounce.set(0.0);
    EXPECT_FALSE(driver.isRunning());

    // Suspended (a hidden view): no frames, but the value still follows the clock.
    bounce.animateTo(1.0, Animation::easeInOut(0.45).repeatForever());
    driver.setSuspended(true);
    EXPECT_FALSE(driver.isRunning());
    driver.setSuspended(false);
    EXPECT_TRUE(driver.isRunning());
    bounce.set(0.0);

    // A value destroyed while moving leaves the driver.
    {
        AnimatedValue shortLived(driver, 0.0);
        shortLived.animateTo(1.0, Animation::spring(0.3, 0.7));
        EXPECT_EQ(driver.liveCount(), 1u);
    }
    EXPECT_EQ(driver.liveCount(), 0u);
    EXPECT_FALSE(driver.isRunning());
}
