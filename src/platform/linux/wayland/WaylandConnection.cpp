#include "platform/linux/wayland/WaylandConnection.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cstdlib>

namespace plovane {

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {}

std::shared_ptr<WaylandConnection> WaylandConnection::open()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name)
        return nullptr;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::shared_ptr<WaylandConnection> self(new WaylandConnection(display));
    self->registry_ = wl_display_get_registry(display);
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
            static_cast<WaylandConnection*>(data)->globals_.push_back(Global{name, interface, version});
        },
        // Globals that go away (an output unplugged) are none we keep.
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(self->registry_, &listener, self.get());
    if (wl_display_roundtrip(display) < 0)
        return nullptr;

    self->notifier_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    WaylandConnection* raw = self.get();
    QObject::connect(self->notifier_.get(), &QSocketNotifier::activated, self->notifier_.get(),
                     [raw] { raw->dispatchPending(); });
    return self;
}

WaylandConnection::~WaylandConnection()
{
    notifier_.reset();
    if (seat_)
        wl_seat_destroy(seat_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_)
        wl_display_disconnect(display_);
}

bool WaylandConnection::healthy() const { return display_ && wl_display_get_error(display_) == 0; }

std::uint32_t WaylandConnection::offered(std::string_view interface) const
{
    for (const auto& global : globals_)
        if (global.interface == interface)
            return global.version;
    return 0;
}

void* WaylandConnection::bind(const wl_interface& interface, std::uint32_t version)
{
    for (const auto& global : globals_)
        if (global.interface == interface.name)
            return wl_registry_bind(registry_, global.name, &interface, std::min(version, global.version));
    return nullptr;
}

wl_seat* WaylandConnection::seat()
{
    if (!seat_)
        seat_ = static_cast<wl_seat*>(bind(wl_seat_interface, 1));
    return seat_;
}

void WaylandConnection::flush()
{
    if (healthy())
        wl_display_flush(display_);
}

void WaylandConnection::dispatchPending()
{
    if (!healthy()) {
        if (notifier_)
            notifier_->setEnabled(false);
        return;
    }
    // Events queued while handling others go first; then whatever the socket holds. The
    // read does not wait: with nothing there it reads nothing.
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    if (wl_display_read_events(display_) == 0)
        wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    if (!healthy() && notifier_)
        notifier_->setEnabled(false);
}

bool WaylandConnection::roundTrip() { return healthy() && wl_display_roundtrip(display_) >= 0; }

} // namespace plovane
