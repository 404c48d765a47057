#pragma once

#include "platform/Signal.h"
#include "platform/Workspace.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/apps/ProcRunningApplications.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace plovane {

class XcbConnection;

// The workspace of an X11 desktop: the frontmost application is the owner of the EWMH
// active window (its _NET_WM_PID and WM_CLASS), the running ones come from /proc. Our
// own windows report our own application.
//
// The active window is read once and then again only when the root window reports a
// change of _NET_ACTIVE_WINDOW, so a tick with the same window costs no round trip to
// the server, only a look at the events already received.
class XcbWorkspace final : public Workspace {
public:
    XcbWorkspace(std::shared_ptr<XcbConnection> connection, std::shared_ptr<const ApplicationIdentity> identity);

    std::optional<RunningApplication> frontmostApplication() override;
    // Round trips to the X server so far (for tests and benchmarks).
    unsigned long long roundTrips() const { return roundTrips_; }
    std::vector<RunningApplication> runningApplications() override;

private:
    struct WindowKey {
        int pid;
        std::string wmClass;
        bool operator==(const WindowKey&) const = default;
    };
    struct WindowKeyHash {
        std::size_t operator()(const WindowKey& k) const { return std::hash<std::string>{}(k.wmClass) ^ k.pid; }
    };

    // Hands out the received events; true when one since the last call said the active
    // window changed.
    bool activeWindowChanged();
    std::optional<RunningApplication> readFrontmost();

    std::shared_ptr<XcbConnection> connection_;
    std::shared_ptr<const ApplicationIdentity> identity_;
    ProcRunningApplications running_;
    int selfPid_;
    // Identity of each (process, window class) seen, so a tick resolves nothing twice.
    std::unordered_map<WindowKey, RunningApplication, WindowKeyHash> windows_;
    // The frontmost application as last read, valid while no change was reported.
    std::optional<RunningApplication> frontmost_;
    bool frontmostValid_{false};
    // The active window that did not say who it is, and how often it was read so.
    std::uint32_t unreadyWindow_{0};
    int unreadyReads_{0};
    bool watchingRoot_{false};
    bool activeChanged_{false};
    // Declared last: unsubscribes before the state its handler writes goes away.
    Connection propertyEvents_;
    unsigned long long roundTrips_{0};
};

// A desktop without X11: no frontmost application; the running ones still come from /proc.
class ProcOnlyWorkspace final : public Workspace {
public:
    explicit ProcOnlyWorkspace(std::shared_ptr<const ApplicationIdentity> identity);
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    std::vector<RunningApplication> runningApplications() override { return running_.list(); }

private:
    std::shared_ptr<const ApplicationIdentity> identity_;
    ProcRunningApplications running_;
};

} // namespace plovane
