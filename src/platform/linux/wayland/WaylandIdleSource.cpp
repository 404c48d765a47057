#include "platform/linux/wayland/WaylandIdleSource.h"

#include "platform/linux/wayland/WaylandConnection.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

#include <wayland-client.h>

namespace plovane {

namespace {

constexpr double kNoAnswerSeconds = 999;
constexpr auto kTimeoutMs = static_cast<std::uint32_t>(IdleTransitionClock::kThreshold.count());

} // namespace

WaylandIdleSource::WaylandIdleSource(std::shared_ptr<WaylandConnection> connection, Protocol protocol)
    : connection_(std::move(connection)), protocol_(protocol), clock_(std::chrono::steady_clock::now())
{
}

std::shared_ptr<WaylandIdleSource> WaylandIdleSource::open(std::shared_ptr<WaylandConnection> connection)
{
    if (!connection || !connection->healthy() || !connection->seat())
        return nullptr;
    wl_seat* seat = connection->seat();

    if (auto* notifier = static_cast<ext_idle_notifier_v1*>(connection->bind(ext_idle_notifier_v1_interface, 1))) {
        std::shared_ptr<WaylandIdleSource> self(new WaylandIdleSource(connection, Protocol::extIdleNotify));
        self->notification_ = ext_idle_notifier_v1_get_idle_notification(notifier, kTimeoutMs, seat);
        // The notification lives on without its notifier.
        ext_idle_notifier_v1_destroy(notifier);
        static const ext_idle_notification_v1_listener listener{
            [](void* data, ext_idle_notification_v1*) { static_cast<WaylandIdleSource*>(data)->idled(); },
            [](void* data, ext_idle_notification_v1*) { static_cast<WaylandIdleSource*>(data)->resumed(); }};
        ext_idle_notification_v1_add_listener(self->notification_, &listener, self.get());
        connection->flush();
        return self;
    }
    if (auto* idle = static_cast<org_kde_kwin_idle*>(connection->bind(org_kde_kwin_idle_interface, 1))) {
        std::shared_ptr<WaylandIdleSource> self(new WaylandIdleSource(connection, Protocol::kdeIdle));
        self->timeout_ = org_kde_kwin_idle_get_idle_timeout(idle, seat, kTimeoutMs);
        org_kde_kwin_idle_destroy(idle);
        static const org_kde_kwin_idle_timeout_listener listener{
            [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdleSource*>(data)->idled(); },
            [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdleSource*>(data)->resumed(); }};
        org_kde_kwin_idle_timeout_add_listener(self->timeout_, &listener, self.get());
        connection->flush();
        return self;
    }
    return nullptr;
}

WaylandIdleSource::~WaylandIdleSource()
{
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
    if (timeout_)
        org_kde_kwin_idle_timeout_release(timeout_);
    connection_->flush();
}

std::string_view WaylandIdleSource::protocolName() const
{
    return protocol_ == Protocol::extIdleNotify ? "ext-idle-notify-v1" : "org_kde_kwin_idle";
}

void WaylandIdleSource::idled()
{
    told_ = true;
    clock_.idled(std::chrono::steady_clock::now());
}

void WaylandIdleSource::resumed()
{
    told_ = true;
    clock_.resumed(std::chrono::steady_clock::now());
}

double WaylandIdleSource::secondsSinceLastInput()
{
    // The events were handled as they came; only what arrived since is read here.
    connection_->dispatchPending();
    if (!connection_->healthy())
        return kNoAnswerSeconds;
    return clock_.secondsSinceLastInput(std::chrono::steady_clock::now());
}

} // namespace plovane
