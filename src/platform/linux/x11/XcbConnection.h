#pragma once

#include "platform/Signal.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace plovane {

// One connection to the X server, with the EWMH atoms interned. Shared by the X11
// sensors; used on the main thread only.
//
// The sensors learn of changes from events on this connection. Whichever of them reads
// first takes everything the server has sent and hands each event to the handler of its
// kind, so no sensor throws away another's events.
class XcbConnection {
public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    // Connects to $DISPLAY; null when there is no display or the server refuses.
    static std::shared_ptr<XcbConnection> open();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* connection() const;
    unsigned root() const;
    xcb_ewmh_connection_t& ewmh() const;
    // False once the server connection broke (the display went away).
    bool healthy() const;

    // Calls `handler` for every event of `kind` (the response type without the bit that
    // marks a sent event; 0 for errors of requests that have no reply) until the returned
    // connection goes away.
    [[nodiscard]] Connection onEvent(std::uint8_t kind, EventHandler handler);
    // Hands out the events already received, without sending anything or waiting.
    // Events of a kind nobody handles are dropped.
    void dispatchPendingEvents();

private:
    XcbConnection() = default;
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace plovane
