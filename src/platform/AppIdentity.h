#pragma once

#include <string_view>

namespace plovane {

// The one application identifier: our own windows report it as their application, the
// knock bridge names its thread after it, and the desktop entry and tray use it.
inline constexpr std::string_view kAppIdentifier = "org.plovane.Plovane";
inline constexpr std::string_view kAppName = "Plovane";

} // namespace plovane
