#include "windows/OwnWindowStacking.h"

#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QWindow>

using namespace plovane;

TEST(OwnWindowStacking, ActiveWindowAndItsOwnersOverTheHudNotFloatingOrMenus)
{
    test::testApp();
    QWindow report;
    QWindow dialog;
    dialog.setFlags(Qt::Dialog);
    dialog.setTransientParent(&report);
    EXPECT_EQ(OwnWindowStacking::windowsOverHud(&dialog), (QList<QWindow*>{&dialog, &report}))
        << "a dialog of the report brings the report with it, or the HUD would come between them";
    EXPECT_EQ(OwnWindowStacking::windowsOverHud(&report), QList<QWindow*>{&report});

    QWindow hud;
    hud.setFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    QWindow menu;
    menu.setFlags(Qt::Popup);
    menu.setTransientParent(&report);
    EXPECT_TRUE(OwnWindowStacking::windowsOverHud(&hud).isEmpty()) << "it floats by itself";
    EXPECT_EQ(OwnWindowStacking::windowsOverHud(&menu), QList<QWindow*>{&report}) << "a menu only passes";
    EXPECT_TRUE(OwnWindowStacking::windowsOverHud(nullptr).isEmpty()) << "the user went to another application";
    QWindow statusIcon;
    statusIcon.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    EXPECT_TRUE(OwnWindowStacking::windowsOverHud(&statusIcon).isEmpty()) << "it takes the focus inside the tray";
}

TEST(OwnWindowStacking, TheProgramIconIsBuiltIn)
{
    test::testApp();
    // Carried by the executable itself: a copy run from anywhere still shows it.
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(64, 64).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.pixelColor(32, 32).alpha(), 0) << "the picture is drawn, not an empty square";
}
