#pragma once

#include <string>

namespace plovane {

inline constexpr const char* kUnknownAppName = "Unknown";
inline constexpr const char* kUnknownBundleID = "unknown.bundle.id";

// The frontmost application at one moment.
struct ActiveAppSnapshot {
    std::string name{kUnknownAppName};
    std::string bundleID{kUnknownBundleID};
    // Theme icon name or image path; empty when there is no frontmost application or it
    // has no icon.
    std::string icon{};
};

} // namespace plovane
