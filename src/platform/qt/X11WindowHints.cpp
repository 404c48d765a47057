#include "platform/qt/X11WindowHints.h"

#include "platform/qt/SwayIpc.h"
#include "platform/qt/X11Connection.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
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

std::vector<std::uint32_t> readProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    std::vector<std::uint32_t> values;
    const auto cookie = xcb_get_property(c, 0, w, property, type, 0, 64);
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr)) {
        if (reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
    }
    return values;
}

// Sway does not read the sticky state of X11 windows: there the same request is a rule
// for this one window, which sway applies when it maps the window.
// Sway keeps a rule for the rest of its session, so each is given once, and it names the
// window by its title as well as its id: another program's window that gets the same id
// after we quit is not held by it.
std::string swayCriteria(const QWidget& window, xcb_window_t wid)
{
    std::string title;
    for (char c : window.windowTitle().toStdString()) {
        if (std::string_view("\\^$.|?*+()[]{}\"").find(c) != std::string_view::npos)
            title += '\\';
        title += c;
    }
    return "[id=" + std::to_string(wid) + " title=\"^" + title + "$\"]";
}

void addSwayRuleOnce(const std::string& rule)
{
    static std::unordered_set<std::string> given;
    if (!std::getenv("SWAYSOCK") || given.contains(rule))
        return;
    if (runSwayCommand(rule))
        given.insert(rule);
}

// The toolkit's X connection and the window's id; no connection off X11.
std::pair<xcb_connection_t*, xcb_window_t> x11Window(QWidget& window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {nullptr, xcb_window_t{XCB_WINDOW_NONE}};
    xcb_connection_t* c = toolkitX11Connection();
    return {c, c ? static_cast<xcb_window_t>(window.winId()) : xcb_window_t{XCB_WINDOW_NONE}};
}

} // namespace

void requestSkipTaskbarAndSticky(QWidget& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;
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
    addSwayRuleOnce("for_window " + swayCriteria(window, wid) + " sticky enable");
    if (window.isVisible() && std::getenv("SWAYSOCK"))
        runSwayCommand(swayCriteria(window, wid) + " sticky enable");
}

void refuseKeyboardFocus(QWidget& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;

    const xcb_atom_t protocolsAtom = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t takeFocus = atom(c, "WM_TAKE_FOCUS");
    auto protocols = readProperty(c, wid, protocolsAtom, XCB_ATOM_ATOM);
    if (std::erase(protocols, takeFocus) > 0)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, protocolsAtom, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(protocols.size()), protocols.data());

    // WM_HINTS: flags, then input; the input flag is the lowest bit of the flags.
    constexpr std::uint32_t kInputHint = 1;
    auto hints = readProperty(c, wid, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    if (hints.size() < 9)
        hints.resize(9, 0);
    if (!(hints[0] & kInputHint) || hints[1] != 0) {
        hints[0] |= kInputHint;
        hints[1] = 0;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                            static_cast<uint32_t>(hints.size()), hints.data());
    }
    xcb_flush(c);
}

} // namespace plovane
