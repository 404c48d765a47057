#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

namespace plovane {

// One connection to the X server, with the EWMH atoms interned. Shared by the X11
// sensors; used on the main thread only.
class XcbConnection {
public:
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

private:
    XcbConnection() = default;
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace plovane
