#include "platform/linux/wayland/WaylandWorkspace.h"

namespace plovane {

WaylandWorkspace::WaylandWorkspace(std::shared_ptr<Workspace> x11, std::shared_ptr<FocusedApplicationSource> native)
    : x11_(std::move(x11)), native_(std::move(native))
{
}

std::optional<RunningApplication> WaylandWorkspace::frontmostApplication()
{
    if (auto app = x11_->frontmostApplication())
        return app;
    return native_ ? native_->focusedApplication() : std::nullopt;
}

std::vector<RunningApplication> WaylandWorkspace::runningApplications() { return x11_->runningApplications(); }

} // namespace plovane
