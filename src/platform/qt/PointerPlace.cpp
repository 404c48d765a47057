#include "platform/qt/PointerPlace.h"

#include "platform/qt/X11Connection.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace plovane {

std::optional<QPoint> pointerPlace()
{
    xcb_connection_t* x = toolkitX11Connection();
    if (!x)
        return QCursor::pos();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    if (!screen)
        return QCursor::pos();
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(x, xcb_query_pointer(x, screen->root), nullptr);
    if (!reply)
        return QCursor::pos();
    std::optional<QPoint> place;
    if (reply->same_screen && reply->child != XCB_NONE) {
        // The server speaks in device pixels; the widgets in device-independent ones.
        const qreal scale = qApp && QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->devicePixelRatio() : 1.0;
        place = QPoint(qRound(reply->root_x / scale), qRound(reply->root_y / scale));
    }
    std::free(reply);
    return place;
}

bool pointerButtonHeld()
{
    xcb_connection_t* x = toolkitX11Connection();
    const xcb_screen_t* screen = x ? xcb_setup_roots_iterator(xcb_get_setup(x)).data : nullptr;
    if (!screen)
        return QGuiApplication::mouseButtons() != Qt::NoButton;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(x, xcb_query_pointer(x, screen->root), nullptr);
    if (!reply)
        return false;
    constexpr std::uint16_t kButtons = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3;
    const bool held = (reply->mask & kButtons) != 0;
    std::free(reply);
    return held;
}

} // namespace plovane
