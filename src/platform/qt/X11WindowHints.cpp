#include "platform/qt/X11WindowHints.h"

#include "platform/qt/X11Connection.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace plovane {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::char_traits<char>::length(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    free(reply);
    return a;
}

} // namespace

void requestSkipTaskbarAndSticky(QWidget& window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t* c = toolkitX11Connection();
    if (!c)
        return;
    const auto wid = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const std::vector<xcb_atom_t> wanted = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                                            atom(c, "_NET_WM_STATE_STICKY")};
    if (window.isVisible()) {
        // A mapped window's states belong to the window manager: ask it.
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        for (std::size_t i = 0; i < wanted.size(); i += 2) {
            xcb_client_message_event_t ev{};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = wid;
            ev.type = netWmState;
            ev.data.data32[0] = 1; // _NET_WM_STATE_ADD
            ev.data.data32[1] = wanted[i];
            ev.data.data32[2] = i + 1 < wanted.size() ? wanted[i + 1] : 0;
            ev.data.data32[3] = 1; // from a normal application
            xcb_send_event(c, 0, root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&ev));
        }
    } else {
        // Before mapping the property itself is the request; keep what Qt has put there.
        std::vector<xcb_atom_t> states;
        const auto cookie = xcb_get_property(c, 0, wid, netWmState, XCB_ATOM_ATOM, 0, 64);
        if (xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr)) {
            const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            states.assign(data, data + xcb_get_property_value_length(reply) / 4);
            free(reply);
        }
        for (xcb_atom_t a : wanted)
            if (a != XCB_ATOM_NONE && std::find(states.begin(), states.end(), a) == states.end())
                states.push_back(a);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, netWmState, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(states.size()), states.data());
    }
    // _NET_WM_DESKTOP 0xFFFFFFFF: on all desktops, for window managers without the
    // sticky state (openbox among them).
    const uint32_t allDesktops = 0xFFFFFFFFu;
    const xcb_atom_t netWmDesktop = atom(c, "_NET_WM_DESKTOP");
    if (window.isVisible()) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = wid;
        ev.type = netWmDesktop;
        ev.data.data32[0] = allDesktops;
        ev.data.data32[1] = 1;
        xcb_send_event(c, 0, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
    } else {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, netWmDesktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    }
    xcb_flush(c);
}

} // namespace plovane
