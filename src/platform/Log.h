#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

namespace plovane {

// Diagnostics are one-line messages on standard error. Each has a level; lines below the
// threshold are dropped. The threshold comes from the PLOVANE_LOG environment variable
// ("debug", "info", "warning" or "error", read once at the first log call) and is
// "info" when the variable is unset or unknown. Info lines and above are written as
// given; debug lines start with "debug: ".
//
// Logging never waits for standard error: lines are written by a thread of their own,
// and while nobody reads them (a full pipe) those that do not fit in a bounded queue are
// dropped; once the reader catches up, one line says how many.
enum class LogLevel { debug, info, warning, error };

// Writes `message` at info level.
void logLine(std::string_view message);
void logLine(LogLevel level, std::string_view message);
inline void logDebug(std::string_view message) { logLine(LogLevel::debug, message); }
inline void logWarning(std::string_view message) { logLine(LogLevel::warning, message); }
inline void logError(std::string_view message) { logLine(LogLevel::error, message); }

// Whether a line of `level` would be written; check before building a costly message.
bool logEnabled(LogLevel level);
LogLevel logThreshold();
void setLogThreshold(LogLevel level);
// The level a PLOVANE_LOG value names (letter case ignored); nothing when it names none.
std::optional<LogLevel> parseLogLevel(std::string_view name);

// Waits up to `limit` for the queued lines to be written; false when standard error did
// not take them in time. Also done at exit.
bool flushLog(std::chrono::milliseconds limit = std::chrono::milliseconds(250));

// Replaces where log lines go (tests capture them); an empty function restores stderr.
// The sink receives each line that passes the threshold, as it would be written.
void setLogSink(std::function<void(std::string_view)> sink);

} // namespace plovane
