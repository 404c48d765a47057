#pragma once

#include "platform/Workspace.h"

#include <optional>
#include <string>

namespace plovane {

// Which application has the keyboard focus, as one service of a Wayland session tells it:
// the compositor's list of windows, a script inside it, or the accessibility layer.
class FocusedApplicationSource {
public:
    virtual ~FocusedApplicationSource() = default;
    // The application of the focused window; nothing when none has the focus, the window
    // is one the service cannot see, or the service is gone.
    virtual std::optional<RunningApplication> focusedApplication() = 0;
    // What the source reads, for the log ("zwlr_foreign_toplevel_manager_v1", …).
    virtual std::string description() const = 0;
};

} // namespace plovane
