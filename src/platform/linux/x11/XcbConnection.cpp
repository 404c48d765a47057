#include "platform/linux/x11/XcbConnection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <map>

namespace plovane {

struct XcbConnection::State {
    xcb_connection_t* connection{nullptr};
    unsigned root{0};
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady{false};
    std::map<std::uint8_t, std::unique_ptr<Signal<const xcb_generic_event_t&>>> handlers;
};

std::shared_ptr<XcbConnection> XcbConnection::open()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return nullptr;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::shared_ptr<XcbConnection> self(new XcbConnection());
    self->state_ = std::make_unique<State>();
    self->state_->connection = c;
    self->state_->root = it.data->root;
    auto* cookies = xcb_ewmh_init_atoms(c, &self->state_->ewmh);
    self->state_->ewmhReady = xcb_ewmh_init_atoms_replies(&self->state_->ewmh, cookies, nullptr) != 0;
    if (!self->state_->ewmhReady)
        return nullptr; // the destructor disconnects
    return self;
}

XcbConnection::~XcbConnection()
{
    if (!state_)
        return;
    if (state_->ewmhReady)
        xcb_ewmh_connection_wipe(&state_->ewmh);
    xcb_disconnect(state_->connection);
}

xcb_connection_t* XcbConnection::connection() const { return state_->connection; }
unsigned XcbConnection::root() const { return state_->root; }
xcb_ewmh_connection_t& XcbConnection::ewmh() const { return state_->ewmh; }
bool XcbConnection::healthy() const { return xcb_connection_has_error(state_->connection) == 0; }

Connection XcbConnection::onEvent(std::uint8_t kind, EventHandler handler)
{
    auto& signal = state_->handlers[kind];
    if (!signal)
        signal = std::make_unique<Signal<const xcb_generic_event_t&>>();
    return signal->connect(std::move(handler));
}

void XcbConnection::dispatchPendingEvents()
{
    while (xcb_generic_event_t* received = xcb_poll_for_event(state_->connection)) {
        const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(received, &std::free);
        if (auto it = state_->handlers.find(event->response_type & 0x7f); it != state_->handlers.end())
            it->second->emit(*event);
    }
}

} // namespace plovane
