#include "HUDTestRig.h"

#include "hud/HUDPanel.h"
#include "hud/HUDWindowController.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QWindow>

#include <gtest/gtest.h>

using namespace plovane;
using namespace plovane::test;

TEST(HUDPanel, FloatsWithoutFocusTaskbarOrFrame)
{
    testApp();
    HUDPanel panel;
    const Qt::WindowFlags f = panel.windowFlags();
    EXPECT_TRUE(f.testFlag(Qt::Tool));
    EXPECT_TRUE(f.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_TranslucentBackground));
    // Shown "without activating" (a user time of 0), KWin and mutter mark it as demanding attention.
    EXPECT_FALSE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(panel.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(panel.objectName(), "PlovaneHUDPanel");
    EXPECT_EQ(panel.windowTitle(), "Plovane HUD");
}

TEST(HUDPanel, DefaultPlaceIsFortyFromTheLeftAndOneTwentyAboveTheBottom)
{
    EXPECT_EQ(HUDWindowController::defaultFrameFor(QRect(0, 0, 1280, 800)), QRect(40, 460, 392, 220));
    // A primary screen that does not start at the origin.
    EXPECT_EQ(HUDWindowController::defaultFrameFor(QRect(1920, 100, 1024, 768)), QRect(1960, 528, 392, 220));
}

TEST(HUDPanel, ToggleHidesAndShowsAtTheSamePlace)
{
    HUDRig rig;
    HUDWindowController controller(*rig.engine);
    EXPECT_FALSE(controller.isVisible());
    controller.panel().setAttribute(Qt::WA_DontShowOnScreen);
    controller.show();
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(controller.view().size(), QSize(392, 220));
    const QRect home = controller.defaultFrame();
    controller.panel().move(300, 200); // as a drag would
    const QRect dragged = controller.panel().geometry();
    controller.toggle();
    EXPECT_FALSE(controller.isVisible());
    controller.toggle();
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(controller.panel().geometry(), dragged);
    EXPECT_EQ(controller.defaultFrame(), home) << "a drag does not change the default place";
}

namespace {
// Shows the panel as the application does, without putting it on a screen.
void showOffScreen(HUDWindowController& controller)
{
    controller.panel().setAttribute(Qt::WA_DontShowOnScreen);
    controller.show();
    QCoreApplication::processEvents();
}
} // namespace

TEST(HUDPanel, OnlyThePaintedPartsTakeThePointer)
{
    HUDRig rig;
    HUDWindowController controller(*rig.engine);
    showOffScreen(controller);
    ASSERT_NE(controller.panel().windowHandle(), nullptr);
    const QRegion mask = controller.panel().windowHandle()->mask();
    HUDView& view = controller.view();
    EXPECT_TRUE(mask.contains(view.spriteFrameRect().center().toPoint()));
    EXPECT_TRUE(mask.contains(view.dataPanelRect().center().toPoint()));
    // The empty corner above the card lets clicks through to the window below.
    EXPECT_FALSE(mask.contains(QPoint(4, 4)));
}

TEST(HUDPanel, AFrameOfThePetRepaintsAsOnePieceThoughTheWindowIsShaped)
{
    HUDRig rig;
    HUDWindowController controller(*rig.engine);
    showOffScreen(controller);
    HUDView& view = controller.view();
    ASSERT_GT(view.spriteFrameCount(), 1);
    ASSERT_GT(controller.panel().windowHandle()->mask().rectCount(), 4) << "the window follows the pet's outline";

    // The shape cuts nothing out of a repaint: each piece would be painted and sent alone.
    struct PaintWatch : QObject {
        std::vector<QRegion> regions;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                regions.push_back(static_cast<QPaintEvent*>(e)->region());
            return false;
        }
    } watch;
    view.installEventFilter(&watch);
    // The panel's view runs on the real clock: a second of frames.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    view.removeEventFilter(&watch);
    ASSERT_FALSE(watch.regions.empty());
    for (const QRegion& r : watch.regions) {
        EXPECT_EQ(r.rectCount(), 1);
        EXPECT_TRUE(QRegion(view.spriteFrameRect().adjusted(-30, -30, 30, 30).toAlignedRect()).contains(r.boundingRect()));
    }
}
