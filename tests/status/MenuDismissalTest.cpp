// Open menus close once the user has gone elsewhere, and only then.
#include "status/MenuDismissal.h"

#include "QtTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace plovane;

namespace {

void wait(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A menu with a submenu, both open.
struct OpenMenus {
    QMenu menu;
    QMenu* submenu = menu.addMenu(QStringLiteral("More"));
    OpenMenus()
    {
        submenu->addAction(QStringLiteral("Item"));
        menu.popup(QPoint(100, 100));
        submenu->popup(QPoint(300, 100));
    }
    bool anyOpen() const { return menu.isVisible() || submenu->isVisible(); }
};

} // namespace

TEST(MenuDismissal, AFrontApplicationChangeClosesMenusOpenForMoreThanATick)
{
    test::testApp();
    MenuDismissal dismissal;
    OpenMenus open;
    ASSERT_EQ(QApplication::activePopupWidget(), open.submenu);
    // Sampled before the menu opened: the user moved there, then opened it.
    dismissal.frontApplicationChanged();
    EXPECT_TRUE(open.menu.isVisible());
    wait(1300);
    dismissal.frontApplicationChanged();
    EXPECT_FALSE(open.anyOpen());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // A menu opened right after one closed (before the next look) is new: a change sampled
    // as it opens happened before it did, however long the last one was open.
    OpenMenus first;
    wait(1300);
    MenuDismissal::closeAll();
    OpenMenus second;
    dismissal.frontApplicationChanged();
    EXPECT_TRUE(second.menu.isVisible()) << "closed by a change from before it opened";
    wait(1300);
    dismissal.frontApplicationChanged();
    EXPECT_FALSE(second.anyOpen());
}

TEST(MenuDismissal, InputTheCompositorSawAndWeDidNotClosesMenus)
{
    test::testApp();
    {
        // The user does nothing: the compositor's idle time grows with ours.
        QElapsedTimer sinceOpen;
        sinceOpen.start();
        MenuDismissal dismissal([&] { return static_cast<double>(sinceOpen.elapsed()) / 1000.0; });
        OpenMenus open;
        wait(2000);
        EXPECT_TRUE(open.menu.isVisible()) << "closed while the user did nothing";
    }
    // The compositor sees input all the time.
    MenuDismissal dismissal([] { return 0.1; });
    OpenMenus open;
    // The pointer moving over the menu: the input is ours.
    for (int i = 0; i < 10; ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(105, 105), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(&open.menu, &move);
        wait(200);
    }
    EXPECT_TRUE(open.menu.isVisible()) << "closed while the user moved over it";
    // Then the user types or clicks into a native window: the compositor saw it, we did not.
    QElapsedTimer waited;
    waited.start();
    while (open.anyOpen() && waited.elapsed() < 4000)
        wait(50);
    EXPECT_FALSE(open.anyOpen());
    EXPECT_GE(waited.elapsed(), 1000) << "our own last input is that recent";
    EXPECT_LT(waited.elapsed(), 2000);
}
