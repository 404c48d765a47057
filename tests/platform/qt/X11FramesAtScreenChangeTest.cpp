// Where our windows stood before a change of screens, told from the X events in the order
// they came, on the test desktop's X server (skipped without one). The events are handed
// in as the toolkit would pass them on, so the order is the test's to choose.

#include "platform/qt/X11Connection.h"
#include "platform/qt/X11FramesAtScreenChange.h"

#include "QtTestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace plovane;

namespace {

struct Events {
    X11FramesAtScreenChange& places;
    xcb_window_t window;
    std::uint8_t randr{0};

    // The window manager telling the window where it now stands.
    void movedTo(int x, int y)
    {
        xcb_configure_notify_event_t e{};
        e.response_type = XCB_CONFIGURE_NOTIFY | 0x80;
        e.window = window;
        e.x = static_cast<int16_t>(x);
        e.y = static_cast<int16_t>(y);
        pass(&e);
    }
    // The server telling what the monitor shows (it repeats what stayed the same).
    void monitorShows(int width, int height)
    {
        xcb_randr_notify_event_t e{};
        e.response_type = static_cast<uint8_t>(randr + XCB_RANDR_NOTIFY);
        e.subCode = XCB_RANDR_NOTIFY_CRTC_CHANGE;
        e.u.cc.mode = 1;
        e.u.cc.width = static_cast<uint16_t>(width);
        e.u.cc.height = static_cast<uint16_t>(height);
        pass(&e);
    }
    void pass(void* event) { places.nativeEventFilter("xcb_generic_event_t", event, nullptr); }
};

} // namespace

TEST(X11FramesAtScreenChange, ManagersOwnMovesAsScreensChangeDoNotCount)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    test::testApp();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    xcb_connection_t* c = toolkitX11Connection();
    auto* randr = xcb_query_extension_reply(c, xcb_query_extension(c, 5, "RANDR"), nullptr);
    ASSERT_TRUE(randr && randr->present) << "the test desktop's X server has RandR";
    const std::uint8_t randrEvent = randr->first_event;
    std::free(randr);

    // Never shown, so nothing but the test tells where it stands.
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.setGeometry(858, 480, 392, 220);
    X11FramesAtScreenChange places;
    Events events{places, static_cast<xcb_window_t>(window.winId()), randrEvent};
    EXPECT_FALSE(places.frameOf(window)) << "nothing told yet";

    // The user put it at the bottom right; the screen shrinks, and the window manager pulls
    // it towards the smaller screen before or after we hear of the change.
    events.movedTo(858, 480);
    events.monitorShows(800, 600);
    events.movedTo(771, 480);
    EXPECT_EQ(places.frameOf(window), QRect(858, 480, 392, 220));

    // We place it; what the manager tells before it answers that was meant before.
    window.move(378, 360);
    places.placed(window);
    places.changeHandled();
    events.movedTo(771, 480);
    EXPECT_EQ(places.frameOf(window), QRect(378, 360, 392, 220));
    events.movedTo(378, 360);
    events.movedTo(300, 200);
    EXPECT_EQ(places.frameOf(window), QRect(300, 200, 392, 220)) << "once it answered, the user's moves count";

    // What the screens show already is no change: the user's moves count.
    const QRect shown = QGuiApplication::primaryScreen()->geometry();
    events.monitorShows(shown.width(), shown.height());
    events.movedTo(320, 210);
    EXPECT_EQ(places.frameOf(window), QRect(320, 210, 392, 220));

    // A window we left in place stands where it stood before the change, once dealt with.
    events.monitorShows(1024, 600);
    events.movedTo(250, 150);
    places.changeHandled();
    EXPECT_EQ(places.frameOf(window), QRect(320, 210, 392, 220));
}
