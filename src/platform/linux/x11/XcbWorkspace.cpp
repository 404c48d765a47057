#include "platform/linux/x11/XcbWorkspace.h"

#include "platform/AppIdentity.h"
#include "platform/linux/x11/XcbConnection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace plovane {

namespace {

constexpr std::size_t kMaxRememberedWindows = 512;

struct WmClass {
    std::string instance;
    std::string className;
};

WmClass parseWmClass(xcb_get_property_reply_t* reply)
{
    WmClass out;
    if (!reply || reply->format != 8)
        return out;
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply));
    const std::string_view value(static_cast<const char*>(xcb_get_property_value(reply)), length);
    const auto nul = value.find('\0');
    out.instance = std::string(value.substr(0, nul));
    if (nul != std::string_view::npos) {
        auto rest = value.substr(nul + 1);
        out.className = std::string(rest.substr(0, rest.find('\0')));
    }
    return out;
}

// Reads of an active window that does not say who it is, before it is taken as it is.
constexpr int kUnreadyReads = 3;

} // namespace

XcbWorkspace::XcbWorkspace(std::shared_ptr<XcbConnection> connection,
                           std::shared_ptr<const ApplicationIdentity> identity)
    : connection_(std::move(connection)), identity_(std::move(identity)), running_(*identity_),
      selfPid_(static_cast<int>(::getpid()))
{
    if (!connection_->healthy())
        return;
    const xcb_atom_t activeAtom = connection_->ewmh()._NET_ACTIVE_WINDOW;
    propertyEvents_ = connection_->onEvent(XCB_PROPERTY_NOTIFY, [this, activeAtom](const xcb_generic_event_t& event) {
        if (reinterpret_cast<const xcb_property_notify_event_t&>(event).atom == activeAtom)
            activeChanged_ = true;
    });
    // Property changes of the root window, _NET_ACTIVE_WINDOW among them, arrive as
    // events on this connection from now on; the first read comes after this request.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_->connection(), connection_->root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_->connection());
    watchingRoot_ = true;
}

bool XcbWorkspace::activeWindowChanged()
{
    // Reads only what the server already sent: no request, no waiting.
    connection_->dispatchPendingEvents();
    return std::exchange(activeChanged_, false);
}

std::optional<RunningApplication> XcbWorkspace::frontmostApplication()
{
    if (!connection_->healthy()) {
        frontmostValid_ = false;
        return std::nullopt;
    }
    const bool changed = activeWindowChanged();
    if (frontmostValid_ && !changed && watchingRoot_)
        return frontmost_;
    frontmostValid_ = true;
    frontmost_ = readFrontmost(); // clears frontmostValid_ when the window was not ready
    return frontmost_;
}

std::optional<RunningApplication> XcbWorkspace::readFrontmost()
{
    auto& ewmh = connection_->ewmh();
    xcb_window_t active = XCB_WINDOW_NONE;
    ++roundTrips_;
    if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, 0), &active, nullptr) ||
        active == XCB_WINDOW_NONE)
        return std::nullopt;

    // Both properties in one round trip.
    ++roundTrips_;
    auto* c = connection_->connection();
    auto pidCookie = xcb_ewmh_get_wm_pid(&ewmh, active);
    auto classCookie = xcb_get_property(c, 0, active, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    std::uint32_t pid = 0;
    if (!xcb_ewmh_get_wm_pid_reply(&ewmh, pidCookie, &pid, nullptr))
        pid = 0;
    xcb_get_property_reply_t* classReply = xcb_get_property_reply(c, classCookie, nullptr);
    const WmClass wmClass = parseWmClass(classReply);
    std::free(classReply);

    const int processId = static_cast<int>(pid);
    // A window that has neither its process id nor its class yet (just mapped) is read
    // again on the next few calls rather than kept. One that never tells, or is gone while
    // still named active (until the window manager moves on), is not asked about every tick.
    if (processId == 0 && wmClass.instance.empty() && wmClass.className.empty()) {
        unreadyReads_ = active == unreadyWindow_ ? unreadyReads_ + 1 : 1;
        unreadyWindow_ = active;
        if (unreadyReads_ < kUnreadyReads)
            frontmostValid_ = false;
    }
    if (processId != 0 && processId == selfPid_)
        return RunningApplication{std::string(kAppIdentifier), std::string(kAppName), std::string(kAppIdentifier),
                                  processId};

    WindowKey key{processId, wmClass.instance + '\n' + wmClass.className};
    if (auto it = windows_.find(key); it != windows_.end())
        return it->second;
    const std::string executable = processId > 0 ? ProcRunningApplications::executableOf("/proc", processId) : "";
    const ApplicationInfo info = identity_->forWindow(wmClass.instance, wmClass.className, executable);
    RunningApplication app{info.bundleID, info.name, info.icon, processId};
    if (windows_.size() >= kMaxRememberedWindows)
        windows_.clear();
    windows_.emplace(std::move(key), app);
    return app;
}

std::vector<RunningApplication> XcbWorkspace::runningApplications() { return running_.list(); }

ProcOnlyWorkspace::ProcOnlyWorkspace(std::shared_ptr<const ApplicationIdentity> identity)
    : identity_(std::move(identity)), running_(*identity_)
{
}

} // namespace plovane
