#include "platform/linux/x11/XFixesWindowManagerWatch.h"

#include "platform/Log.h"
#include "platform/linux/x11/XcbConnection.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <string>

namespace plovane {

namespace {

// A manager that never names itself is announced after this long all the same.
constexpr int kNameWaitMs = 3000;

} // namespace

std::unique_ptr<XFixesWindowManagerWatch> XFixesWindowManagerWatch::open()
{
    // A connection of its own, which carries nothing but these events.
    auto connection = XcbConnection::open();
    if (!connection)
        return nullptr;
    auto* c = connection->connection();
    const auto* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!extension || !extension->present)
        return nullptr;
    // The extension answers nothing else before it is told which version we speak.
    auto* version = xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr);
    if (!version)
        return nullptr;
    std::free(version);

    int screenNumber = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem && it.data->root != connection->root();
         xcb_screen_next(&it))
        ++screenNumber;
    const std::string name = "WM_S" + std::to_string(screenNumber);
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
                                       nullptr);
    if (!atom)
        return nullptr;
    const std::uint32_t selection = atom->atom;
    std::free(atom);
    return std::unique_ptr<XFixesWindowManagerWatch>(new XFixesWindowManagerWatch(std::move(connection), selection));
}

XFixesWindowManagerWatch::XFixesWindowManagerWatch(std::shared_ptr<XcbConnection> connection, std::uint32_t selection)
    : connection_(std::move(connection)), selection_(selection)
{
    auto* c = connection_->connection();
    const std::uint8_t notify = xcb_get_extension_data(c, &xcb_xfixes_id)->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    selectionNotifies_ = connection_->onEvent(notify, [this](const xcb_generic_event_t& event) {
        const auto& e = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        // A manager that quit or crashed leaves the selection without an owner.
        if (e.selection == selection_)
            ownerChanged(e.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? e.owner
                                                                                      : xcb_window_t{XCB_WINDOW_NONE});
    });
    destroyNotifies_ = connection_->onEvent(XCB_DESTROY_NOTIFY, [this](const xcb_generic_event_t& event) {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (leaving_ != XCB_WINDOW_NONE && e.window == leaving_) {
            leaving_ = XCB_WINDOW_NONE;
            waitForName();
        }
    });
    propertyNotifies_ = connection_->onEvent(XCB_PROPERTY_NOTIFY, [this](const xcb_generic_event_t& event) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (awaitingName_ && e.window == connection_->root() &&
            e.atom == connection_->ewmh()._NET_SUPPORTING_WM_CHECK && named())
            announce();
    });
    nameDeadline_.setSingleShot(true);
    nameDeadline_.setInterval(kNameWaitMs);
    connect(&nameDeadline_, &QTimer::timeout, this, [this] {
        if (awaitingName_)
            announce();
    });
    xcb_xfixes_select_selection_input(c, connection_->root(), selection_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // Selected first, so a change between the question and its answer is not lost.
    if (auto* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr)) {
        owner_ = owner->owner;
        std::free(owner);
    }
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    readEvents();
}

XFixesWindowManagerWatch::~XFixesWindowManagerWatch() = default;

void XFixesWindowManagerWatch::readEvents()
{
    connection_->dispatchPendingEvents();
    if (!connection_->healthy()) {
        // The display went away: its socket would wake us for ever.
        notifier_->setEnabled(false);
        logLine("The window manager is no longer followed: the connection to the X server broke.");
    }
}

void XFixesWindowManagerWatch::ownerChanged(std::uint32_t owner)
{
    if (owner == owner_)
        return;
    const std::uint32_t previous = owner_;
    owner_ = owner;
    if (owner != XCB_WINDOW_NONE)
        waitForGoneOrAnnounce(previous);
}

void XFixesWindowManagerWatch::waitForGoneOrAnnounce(std::uint32_t previous)
{
    // The manager before it gives the windows back as it goes, and they are the new one's
    // only then: what they say before may be overwritten on the way.
    if (previous != XCB_WINDOW_NONE) {
        auto* c = connection_->connection();
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_generic_error_t* gone = xcb_request_check(
            c, xcb_change_window_attributes_checked(c, previous, XCB_CW_EVENT_MASK, &mask));
        if (!gone) {
            leaving_ = previous;
            return;
        }
        std::free(gone);
    }
    leaving_ = XCB_WINDOW_NONE;
    waitForName();
}

void XFixesWindowManagerWatch::waitForName()
{
    // The root's property changes are heard only meanwhile: they come with every change of
    // the active window.
    awaitingName_ = true;
    auto* c = connection_->connection();
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, connection_->root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    if (named())
        announce();
    else
        nameDeadline_.start();
}

bool XFixesWindowManagerWatch::named() const
{
    // The window the root names names itself too while its manager runs; the one of a
    // manager that went is gone with it.
    auto& ewmh = connection_->ewmh();
    xcb_window_t onRoot = XCB_WINDOW_NONE;
    xcb_window_t onItself = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(&ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, connection_->root()),
                                                &onRoot, nullptr) ||
        onRoot == XCB_WINDOW_NONE)
        return false;
    return xcb_ewmh_get_supporting_wm_check_reply(&ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, onRoot), &onItself,
                                                  nullptr) &&
           onItself == onRoot;
}

void XFixesWindowManagerWatch::announce()
{
    awaitingName_ = false;
    nameDeadline_.stop();
    auto* c = connection_->connection();
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, connection_->root(), XCB_CW_EVENT_MASK, &none);
    xcb_flush(c);
    tookOver.emit();
}

} // namespace plovane
