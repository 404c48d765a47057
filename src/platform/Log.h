#pragma once

#include <functional>
#include <string_view>

namespace plovane {

// Diagnostics are plain one-line messages on standard error, without levels.
void logLine(std::string_view message);

// Replaces where log lines go (tests capture them); an empty function restores stderr.
void setLogSink(std::function<void(std::string_view)> sink);

} // namespace plovane
