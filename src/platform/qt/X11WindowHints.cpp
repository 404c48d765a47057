#include "platform/qt/X11WindowHints.h"

#include "platform/qt/X11Connection.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
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

std::string readUtf8Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property)
{
    std::string value;
    const auto cookie = xcb_get_property(c, 0, w, property, atom(c, "UTF8_STRING"), 0, 256);
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr)) {
        if (reply->format == 8)
            value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        free(reply);
    }
    return value;
}

// The running window manager's name, from the window it names on the root window; empty
// when that window is gone (a manager that quit) or says nothing.
std::string windowManagerName(xcb_connection_t* c)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const auto named = readProperty(c, root, check, XCB_ATOM_WINDOW);
    if (named.empty() || readProperty(c, named[0], check, XCB_ATOM_WINDOW) != named)
        return {};
    return readUtf8Property(c, named[0], atom(c, "_NET_WM_NAME"));
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

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFFu;

std::vector<xcb_atom_t> skipTaskbarAndSticky(xcb_connection_t* c)
{
    return {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER"), atom(c, "_NET_WM_STATE_STICKY")};
}

void sendToRoot(xcb_connection_t* c, const xcb_client_message_event_t& ev)
{
    xcb_send_event(c, 0, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
}

// A mapped window's states belong to the window manager: ask it.
void askSkipTaskbarAndSticky(xcb_connection_t* c, xcb_window_t wid)
{
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const std::vector<xcb_atom_t> wanted = skipTaskbarAndSticky(c);
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
        sendToRoot(c, ev);
    }
    // _NET_WM_DESKTOP 0xFFFFFFFF: on all desktops, for window managers without the
    // sticky state (openbox among them).
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = wid;
    ev.type = atom(c, "_NET_WM_DESKTOP");
    ev.data.data32[0] = kAllDesktops;
    ev.data.data32[1] = 1;
    sendToRoot(c, ev);
}

// What a window manager reads when it takes the window over; keeps what Qt has put there.
void writeSkipTaskbarAndSticky(xcb_connection_t* c, xcb_window_t wid)
{
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    std::vector<xcb_atom_t> states = readProperty(c, wid, netWmState, XCB_ATOM_ATOM);
    for (xcb_atom_t a : skipTaskbarAndSticky(c))
        if (a != XCB_ATOM_NONE && std::find(states.begin(), states.end(), a) == states.end())
            states.push_back(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, netWmState, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &kAllDesktops);
}

} // namespace

void requestSkipTaskbarAndSticky(QWidget& window)
{
    const auto [c, wid] = x11Window(window);
    // An override-redirect window has no window manager to ask.
    if (!c || window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return;
    if (window.isVisible())
        askSkipTaskbarAndSticky(c, wid);
    else
        writeSkipTaskbarAndSticky(c, wid);
    xcb_flush(c);
}

void restateSkipTaskbarAndSticky(QWidget& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c || !window.isVisible() || window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return;
    writeSkipTaskbarAndSticky(c, wid);
    askSkipTaskbarAndSticky(c, wid);
    xcb_flush(c);
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

void withdrawAttentionRequest(QWidget& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c || window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return;
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const xcb_atom_t attention = atom(c, "_NET_WM_STATE_DEMANDS_ATTENTION");
    const auto states = readProperty(c, wid, netWmState, XCB_ATOM_ATOM);
    if (attention == XCB_ATOM_NONE || std::find(states.begin(), states.end(), attention) == states.end())
        return;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = wid;
    ev.type = netWmState;
    ev.data.data32[0] = 0; // _NET_WM_STATE_REMOVE
    ev.data.data32[1] = attention;
    ev.data.data32[3] = 1; // from a normal application
    sendToRoot(c, ev);
    xcb_flush(c);
}

bool windowManagerOverridesPanelHints()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    xcb_connection_t* c = toolkitX11Connection();
    if (!c)
        return false;
    const std::string name = windowManagerName(c);
    return name == "i3" || name == "wlroots wm";
}

namespace {

std::pair<xcb_connection_t*, xcb_window_t> x11Window(QWindow& window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {nullptr, xcb_window_t{XCB_WINDOW_NONE}};
    xcb_connection_t* c = toolkitX11Connection();
    return {c, c ? static_cast<xcb_window_t>(window.winId()) : xcb_window_t{XCB_WINDOW_NONE}};
}

// Marks a window we took off the screen on purpose.
constexpr const char* kKeptOutOfSight = "plovaneKeptOutOfSight";

} // namespace

void setKeptAbove(QWindow& window, bool above)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const xcb_atom_t aboveAtom = atom(c, "_NET_WM_STATE_ABOVE");
    if (netWmState == XCB_ATOM_NONE || aboveAtom == XCB_ATOM_NONE)
        return;
    if (window.isVisible()) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = wid;
        ev.type = netWmState;
        ev.data.data32[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
        ev.data.data32[1] = aboveAtom;
        ev.data.data32[3] = 1; // from a normal application
        sendToRoot(c, ev);
    } else {
        // Qt keeps the states it finds on the window when it maps it again.
        auto states = readProperty(c, wid, netWmState, XCB_ATOM_ATOM);
        const bool has = std::find(states.begin(), states.end(), aboveAtom) != states.end();
        if (has == above)
            return;
        if (above)
            states.push_back(aboveAtom);
        else
            std::erase(states, aboveAtom);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, netWmState, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(states.size()), states.data());
    }
    xcb_flush(c);
}

void keepOutOfSight(QWindow& window, bool out)
{
    const auto [c, wid] = x11Window(window);
    if (!c || !window.isVisible() || !window.flags().testFlag(Qt::X11BypassWindowManagerHint))
        return;
    window.setProperty(kKeptOutOfSight, out);
    if (out)
        xcb_unmap_window(c, wid);
    else
        xcb_map_window(c, wid);
    xcb_flush(c);
}

bool mapAgainIfLost(QWindow& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c || !window.isVisible() || !window.flags().testFlag(Qt::X11BypassWindowManagerHint) ||
        window.property(kKeptOutOfSight).toBool())
        return false;
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, wid), nullptr);
    const bool lost = attributes && attributes->map_state == XCB_MAP_STATE_UNMAPPED;
    std::free(attributes);
    if (lost) {
        xcb_map_window(c, wid);
        xcb_flush(c);
    }
    return lost;
}

void typeAsPopupMenu(QWindow& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE_POPUP_MENU");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    xcb_flush(c);
}

void leaveWindowGroup(QWindow& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;
    xcb_delete_property(c, wid, XCB_ATOM_WM_TRANSIENT_FOR);
    // Window managers also group by the leader named in WM_HINTS and WM_CLIENT_LEADER
    // (openbox and xfwm4 raise a group's utility windows over every window of the group).
    constexpr std::uint32_t kWindowGroupHint = 1u << 6;
    auto hints = readProperty(c, wid, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    if (hints.size() >= 9 && (hints[0] & kWindowGroupHint)) {
        hints[0] &= ~kWindowGroupHint;
        hints[8] = 0;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                            static_cast<uint32_t>(hints.size()), hints.data());
    }
    if (const xcb_atom_t leader = atom(c, "WM_CLIENT_LEADER"); leader != XCB_ATOM_NONE)
        xcb_delete_property(c, wid, leader);
    xcb_flush(c);
}

void offerOnlyMoveAndClose(QWindow& window)
{
    const auto [c, wid] = x11Window(window);
    if (!c)
        return;
    const xcb_atom_t motif = atom(c, "_MOTIF_WM_HINTS");
    if (motif == XCB_ATOM_NONE)
        return;
    // flags, functions, decorations, input mode, status
    constexpr std::uint32_t kFunctions = 1u << 0;
    constexpr std::uint32_t kDecorations = 1u << 1;
    constexpr std::uint32_t kFuncMove = 1u << 2;
    constexpr std::uint32_t kFuncClose = 1u << 5;
    constexpr std::uint32_t kDecorBorder = 1u << 1;
    constexpr std::uint32_t kDecorTitle = 1u << 3;
    constexpr std::uint32_t kDecorMenu = 1u << 4;
    const std::uint32_t hints[5] = {kFunctions | kDecorations, kFuncMove | kFuncClose,
                                    kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, wid, motif, motif, 32, 5, hints);
    xcb_flush(c);
}

} // namespace plovane
