#include "platform/linux/x11/XScreenSaverIdleSource.h"

#include "platform/linux/x11/XcbConnection.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace plovane {

namespace {
constexpr double kNoAnswerSeconds = 999;
}

XScreenSaverIdleSource::XScreenSaverIdleSource(std::shared_ptr<XcbConnection> connection)
    : connection_(std::move(connection))
{
    if (!connection_)
        return;
    const auto* extension = xcb_get_extension_data(connection_->connection(), &xcb_screensaver_id);
    available_ = extension && extension->present;
}

double XScreenSaverIdleSource::secondsSinceLastInput()
{
    if (!available_ || !connection_->healthy())
        return kNoAnswerSeconds;
    auto* c = connection_->connection();
    auto* reply = xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, connection_->root()), nullptr);
    if (!reply)
        return kNoAnswerSeconds;
    const double seconds = reply->ms_since_user_input / 1000.0;
    std::free(reply);
    return seconds;
}

} // namespace plovane
