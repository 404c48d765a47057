#pragma once

#include <string_view>
#include <vector>

namespace plovane {

// An application we know by name: the identifier the activity sets use, and the ways it
// shows itself on a Linux desktop. Classes and desktop ids are matched ignoring letter
// case, executables exactly. An application of another desktop only has its identifier
// and name.
struct KnownApplication {
    std::string_view bundleID;
    std::string_view name; // shown when no desktop entry is installed
    std::vector<std::string_view> wmClasses;
    std::vector<std::string_view> desktopIds;
    std::vector<std::string_view> executables;
};

} // namespace plovane
