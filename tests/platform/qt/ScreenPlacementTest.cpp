#include "platform/qt/ScreenPlacement.h"

#include <gtest/gtest.h>

using namespace plovane;

namespace {

ScreenArea screen(const char* name, QRect geometry, QRect available = {})
{
    return {QString::fromLatin1(name), geometry, available.isNull() ? geometry : available};
}

constexpr int kW = 392;
constexpr int kH = 220;

} // namespace

TEST(ScreenPlacement, AWindowWholeOnAScreenStaysWhereItIs)
{
    const ScreenLayout before{screen("screen", {0, 0, 1280, 720})};
    const ScreenLayout grown{screen("screen", {0, 0, 1920, 1080})};
    const QRect frame(858, 480, kW, kH);
    EXPECT_EQ(placedOnScreens(frame, before, grown), frame);
    // Also one the user left half off the screen, as long as nothing changed.
    EXPECT_TRUE(wholeOnScreens(frame, grown));
    EXPECT_FALSE(wholeOnScreens(QRect(1700, 0, kW, kH), grown));
}

TEST(ScreenPlacement, AShrinkingScreenKeepsTheDistanceToTheNearerEdges)
{
    const ScreenLayout big{screen("screen", {0, 0, 1920, 1080})};
    // The HUD's own place, 40 from the left and 120 above the bottom, stays its place.
    EXPECT_EQ(placedOnScreens(QRect(40, 1080 - 120 - kH, kW, kH), big, {screen("screen", {0, 0, 1280, 720})}),
              QRect(40, 720 - 120 - kH, kW, kH));
    // At the bottom right it stays at the bottom right.
    const QRect corner(1920 - 30 - kW, 1080 - 20 - kH, kW, kH);
    EXPECT_EQ(placedOnScreens(corner, big, {screen("screen", {0, 0, 800, 600})}),
              QRect(800 - 30 - kW, 600 - 20 - kH, kW, kH));
    // Where that distance no longer fits, it moves in just far enough.
    const QRect window(780, 300, 440, 510);
    EXPECT_EQ(placedOnScreens(window, big, {screen("screen", {0, 0, 1024, 600})}), QRect(0, 0, 440, 510));
    EXPECT_EQ(placedOnScreens(window, big, {screen("screen", {0, 0, 1280, 800})}), QRect(140, 20, 440, 510));
    // One larger than the screen shows its top left corner.
    EXPECT_EQ(placedOnScreens(QRect(1000, 500, 900, 500), big, {screen("screen", {0, 0, 800, 400})}),
              QRect(0, 0, 900, 500));
}

TEST(ScreenPlacement, AWindowOnAMonitorTakenAwayGoesToTheNearestOneLeft)
{
    const ScreenLayout two{screen("left", {0, 0, 1920, 1080}), screen("right", {1920, 0, 1920, 1080}),
                           screen("below", {0, 1080, 1920, 1080})};
    const ScreenLayout rightGone{two[0], two[2]};
    const QRect onRight(3840 - 30 - kW, 1080 - 120 - kH, kW, kH);
    EXPECT_EQ(placedOnScreens(onRight, two, rightGone), QRect(1920 - 30 - kW, 1080 - 120 - kH, kW, kH));
    // A monitor replaced by another in its place (renamed, smaller) takes its windows.
    const ScreenLayout replaced{screen("left", {0, 0, 1920, 1080}), screen("projector", {1920, 0, 1024, 768})};
    EXPECT_EQ(placedOnScreens(onRight, two, replaced), QRect(1920 + 1024 - 30 - kW, 768 - 120 - kH, kW, kH));
}

TEST(ScreenPlacement, PlacedWindowsKeepClearOfPanels)
{
    const ScreenLayout big{screen("screen", {0, 0, 1920, 1080})};
    // A panel along the bottom of the smaller screen.
    const ScreenLayout small{screen("screen", {0, 0, 1280, 720}, {0, 0, 1280, 680})};
    EXPECT_EQ(placedOnScreens(QRect(40, 1080 - 10 - kH, kW, kH), big, small), QRect(40, 680 - kH, kW, kH));
    // Without a memory of the screens (never placed before), it goes onto the nearest one.
    EXPECT_EQ(placedOnScreens(QRect(2000, 900, kW, kH), {}, small), QRect(1280 - kW, 680 - kH, kW, kH));
}

TEST(ScreenPlacement, SuccessiveShrinksEndWhereOneWould)
{
    const ScreenLayout big{screen("screen", {0, 0, 2560, 1440})};
    const ScreenLayout mid{screen("screen", {0, 0, 1280, 720})};
    // The last one with a dock along the bottom.
    const ScreenLayout small{screen("screen", {0, 0, 1024, 600}, {0, 0, 1024, 560})};
    const QRect home(40, 1440 - 120 - kH, kW, kH);
    const QRect direct = placedOnScreens(home, big, small);
    EXPECT_EQ(direct, QRect(40, 600 - 120 - kH, kW, kH));
    const QRect onMid = placedOnScreens(home, big, mid);
    EXPECT_EQ(onMid, QRect(40, 720 - 120 - kH, kW, kH));
    // Whole on the smaller screen, and even clear of its dock, it still keeps its distances.
    EXPECT_EQ(placedOnScreens(onMid, mid, small), direct);
    EXPECT_EQ(placedOnScreens(onMid, mid, {screen("screen", {0, 0, 1024, 600})}), direct);
}

TEST(ScreenPlacement, WindowsClearOfPanelsStayClearOfThemAndTheRestStay)
{
    const ScreenLayout free{screen("screen", {0, 0, 1280, 720})};
    const ScreenLayout docked{screen("screen", {0, 0, 1280, 720}, {0, 0, 1280, 680})};
    const QRect bottom(40, 720 - kH, kW, kH);
    // A panel appearing under a window moves it up; one the user put over a panel stays.
    EXPECT_EQ(placedOnScreens(bottom, free, docked), QRect(40, 680 - kH, kW, kH));
    EXPECT_EQ(placedOnScreens(bottom, docked, docked), bottom);
    // A drag that ends half off the screen ends whole, clear of the panel, where it was let go.
    EXPECT_EQ(movedOnScreens(QRect(1219, 569, kW, kH), docked), QRect(1280 - kW, 680 - kH, kW, kH));
}
