#pragma once

#include "platform/Workspace.h"
#include "platform/linux/FocusedApplicationSource.h"

#include <memory>

namespace plovane {

// The workspace of a Wayland session. The front application is the owner of Xwayland's
// active window when an X11 window has the focus (the compositor names none there while a
// native window has it); otherwise the session's own source says which native application
// has it. The running applications come from the X11 side's /proc scan.
class WaylandWorkspace final : public Workspace {
public:
    // `x11`: an XcbWorkspace on Xwayland, or a ProcOnlyWorkspace without it. `native`:
    // null where the session tells nothing about its native windows.
    WaylandWorkspace(std::shared_ptr<Workspace> x11, std::shared_ptr<FocusedApplicationSource> native);

    std::optional<RunningApplication> frontmostApplication() override;
    std::vector<RunningApplication> runningApplications() override;

private:
    std::shared_ptr<Workspace> x11_;
    std::shared_ptr<FocusedApplicationSource> native_;
};

} // namespace plovane
