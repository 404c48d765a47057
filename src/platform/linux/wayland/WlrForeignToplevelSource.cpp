#include "platform/linux/wayland/WlrForeignToplevelSource.h"

#include "platform/linux/wayland/WaylandConnection.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace plovane {

namespace {

constexpr std::size_t kMaxRememberedApplications = 512;

bool listsActivated(const wl_array* states)
{
    const auto* values = static_cast<const std::uint32_t*>(states->data);
    const std::size_t count = states->size / sizeof(std::uint32_t);
    return std::find(values, values + count, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) != values + count;
}

} // namespace

WlrForeignToplevelSource::WlrForeignToplevelSource(std::shared_ptr<WaylandConnection> connection,
                                                   std::shared_ptr<const ApplicationIdentity> identity)
    : connection_(std::move(connection)), identity_(std::move(identity))
{
}

std::shared_ptr<WlrForeignToplevelSource> WlrForeignToplevelSource::open(
    std::shared_ptr<WaylandConnection> connection, std::shared_ptr<const ApplicationIdentity> identity)
{
    if (!connection || !connection->healthy())
        return nullptr;
    auto* manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        connection->bind(zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (!manager)
        return nullptr;
    std::shared_ptr<WlrForeignToplevelSource> self(new WlrForeignToplevelSource(connection, std::move(identity)));
    self->manager_ = manager;

    static const zwlr_foreign_toplevel_handle_v1_listener handleListener{
        .title = [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
        .app_id =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId) {
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                if (auto it = source->toplevels_.find(handle); it != source->toplevels_.end())
                    it->second.pendingAppId = appId ? appId : "";
            },
        .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .state =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                if (auto it = source->toplevels_.find(handle); it != source->toplevels_.end())
                    it->second.pendingActivated = listsActivated(states);
            },
        .done =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle) {
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                auto it = source->toplevels_.find(handle);
                if (it == source->toplevels_.end())
                    return;
                it->second.appId = it->second.pendingAppId;
                it->second.activated = it->second.pendingActivated;
                // One window is active at a time: the last one said to be.
                if (it->second.activated)
                    source->active_ = handle;
                else if (source->active_ == handle)
                    source->active_ = nullptr;
            },
        .closed =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle) {
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                if (source->active_ == handle)
                    source->active_ = nullptr;
                source->toplevels_.erase(handle);
                zwlr_foreign_toplevel_handle_v1_destroy(handle);
            },
        .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
    };
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener{
        .toplevel =
            [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                source->toplevels_.emplace(handle, Toplevel{});
                zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, source);
            },
        .finished =
            [](void* data, zwlr_foreign_toplevel_manager_v1* manager) {
                // The compositor is done with the list (it is going away): nothing is
                // active any more, and nothing more will be said.
                auto* source = static_cast<WlrForeignToplevelSource*>(data);
                zwlr_foreign_toplevel_manager_v1_destroy(manager);
                source->manager_ = nullptr;
                source->active_ = nullptr;
            },
    };
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &managerListener, self.get());
    // The windows already open are announced at once.
    if (!connection->roundTrip())
        return nullptr;
    return self;
}

WlrForeignToplevelSource::~WlrForeignToplevelSource()
{
    for (auto& [handle, toplevel] : toplevels_)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (manager_) {
        zwlr_foreign_toplevel_manager_v1_stop(manager_);
        zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    }
    connection_->flush();
}

std::optional<RunningApplication> WlrForeignToplevelSource::focusedApplication()
{
    connection_->dispatchPending();
    if (!active_ || !connection_->healthy())
        return std::nullopt;
    const std::string& appId = toplevels_.at(active_).appId;
    if (appId.empty())
        return std::nullopt;
    if (auto it = applications_.find(appId); it != applications_.end())
        return it->second;
    // An application id is usually the desktop-file id; X11 windows carry their class.
    const ApplicationInfo info = identity_->forWindow(appId, appId, {});
    RunningApplication app{info.bundleID, info.name.empty() ? appId : info.name, info.icon, 0};
    if (applications_.size() >= kMaxRememberedApplications)
        applications_.clear();
    applications_.emplace(appId, app);
    return app;
}

} // namespace plovane
