#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;

namespace plovane {

// One connection to the compositor of a Wayland session, for the sensors that ask it
// directly (our own windows stay X11 windows under Xwayland). The compositor's globals
// are listed once. Events are read as they arrive, on the main thread's event loop, so a
// handler learns of a change when it happens. Used on the main thread only.
class WaylandConnection {
public:
    // Connects to $WAYLAND_DISPLAY; null when it is unset or the compositor refuses.
    static std::shared_ptr<WaylandConnection> open();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return display_; }
    // False once the connection broke (the compositor went away or refused a request).
    bool healthy() const;

    // The version of a global interface the compositor offers; 0 when it offers none.
    std::uint32_t offered(std::string_view interface) const;
    // Binds the first global of `interface` at the lower of `version` and the offered
    // one; null when the compositor offers none.
    void* bind(const wl_interface& interface, std::uint32_t version);
    // The first seat, bound on first use; null when the compositor has none.
    wl_seat* seat();

    // Sends the requests made so far.
    void flush();
    // Reads what the compositor has sent, without waiting, and hands it to the handlers.
    void dispatchPending();
    // Sends the requests made so far and waits until the compositor has handled them and
    // every event they caused was handled here. False when the connection broke.
    bool roundTrip();

private:
    struct Global {
        std::uint32_t name;
        std::string interface;
        std::uint32_t version;
    };

    explicit WaylandConnection(wl_display* display);

    wl_display* display_{nullptr};
    wl_registry* registry_{nullptr};
    wl_seat* seat_{nullptr};
    std::vector<Global> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace plovane
