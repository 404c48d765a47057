#pragma once

#include "sensing/ActiveAppSnapshot.h"

#include <string>

namespace plovane {

class Workspace;

// Asks the workspace afresh, on every call, which application is frontmost. Keeps no
// state between calls.
class ActiveAppMonitor {
public:
    explicit ActiveAppMonitor(Workspace& workspace) : workspace_(workspace) {}
    virtual ~ActiveAppMonitor() = default;

    // The frontmost application, or ("Unknown", "unknown.bundle.id", no icon) when there
    // is none; a missing name or identifier falls back the same way.
    virtual ActiveAppSnapshot frontmostAppSnapshot();
    std::string frontmostAppName();
    std::string frontmostBundleID();

private:
    Workspace& workspace_;
};

} // namespace plovane
