#include "platform/linux/x11/XScreenSaverWatch.h"

#include "platform/Log.h"
#include "platform/linux/x11/XcbConnection.h"

#include <QSocketNotifier>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace plovane {

namespace {
// Cycling is the saver changing its picture: still on.
bool saverShowing(std::uint8_t state) { return state == XCB_SCREENSAVER_STATE_ON || state == XCB_SCREENSAVER_STATE_CYCLE; }
} // namespace

std::unique_ptr<XScreenSaverWatch> XScreenSaverWatch::open()
{
    // A connection of its own: the sensors' connection carries events they read once a
    // second, and this one must wake us only for the saver.
    auto connection = XcbConnection::open();
    if (!connection)
        return nullptr;
    auto* c = connection->connection();
    const auto* extension = xcb_get_extension_data(c, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return nullptr;
    return std::unique_ptr<XScreenSaverWatch>(new XScreenSaverWatch(std::move(connection)));
}

XScreenSaverWatch::XScreenSaverWatch(std::shared_ptr<XcbConnection> connection) : connection_(std::move(connection))
{
    auto* c = connection_->connection();
    const std::uint8_t notify = xcb_get_extension_data(c, &xcb_screensaver_id)->first_event + XCB_SCREENSAVER_NOTIFY;
    notifies_ = connection_->onEvent(notify, [this](const xcb_generic_event_t& event) {
        setSaverOn(saverShowing(reinterpret_cast<const xcb_screensaver_notify_event_t&>(event).state));
    });
    xcb_screensaver_select_input(c, connection_->root(), XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
    // Selected first, so a change between the question and its answer is not lost.
    if (auto* info = xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, connection_->root()), nullptr)) {
        saverOn_ = saverShowing(info->state);
        std::free(info);
    }
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    // Events that came with the answer above are already off the socket.
    readEvents();
}

XScreenSaverWatch::~XScreenSaverWatch() = default;

void XScreenSaverWatch::readEvents()
{
    connection_->dispatchPendingEvents();
    if (!connection_->healthy()) {
        // The display went away: its socket would wake us for ever. The screen counts as
        // seen, as on a desktop that tells nothing.
        notifier_->setEnabled(false);
        logLine("The X server's screen saver is no longer watched: the connection broke.");
        setSaverOn(false);
    }
}

void XScreenSaverWatch::setSaverOn(bool on)
{
    if (on == saverOn_)
        return;
    saverOn_ = on;
    changed.emit();
}

} // namespace plovane
