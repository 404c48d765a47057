#include "platform/linux/XcbConnection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>

namespace plovane {

struct XcbConnection::State {
    xcb_connection_t* connection{nullptr};
    unsigned root{0};
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady{false};
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

} // namespace plovane
