#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plovane {

// One running application as the desktop knows it.
struct RunningApplication {
    std::string bundleID;      // canonical application identifier; empty when unknown
    std::string localizedName; // display name in the user's language; empty when unknown
    std::string icon;          // theme icon name or absolute image path; empty when none
    int pid = 0;
};

// The desktop's view of applications: which one is frontmost and which are running.
class Workspace {
public:
    virtual ~Workspace() = default;
    // The application owning the active window; nothing when no window is active or
    // the desktop cannot tell.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Every running application (one entry per process that maps to an application);
    // empty when the process table cannot be read.
    virtual std::vector<RunningApplication> runningApplications() = 0;
};

} // namespace plovane
