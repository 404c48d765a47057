#include "platform/Log.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace plovane {
namespace {
std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}
std::function<void(std::string_view)>& sinkSlot()
{
    static std::function<void(std::string_view)> sink;
    return sink;
}
std::atomic<LogLevel>& thresholdSlot()
{
    static std::atomic<LogLevel> threshold{[] {
        const char* name = std::getenv("PLOVANE_LOG");
        return name ? parseLogLevel(name).value_or(LogLevel::info) : LogLevel::info;
    }()};
    return threshold;
}
} // namespace

std::optional<LogLevel> parseLogLevel(std::string_view name)
{
    std::string lower;
    for (char c : name)
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (lower == "debug")
        return LogLevel::debug;
    if (lower == "info")
        return LogLevel::info;
    if (lower == "warning" || lower == "warn")
        return LogLevel::warning;
    if (lower == "error")
        return LogLevel::error;
    return std::nullopt;
}

LogLevel logThreshold()
{
    return thresholdSlot().load(std::memory_order_relaxed);
}

void setLogThreshold(LogLevel level)
{
    thresholdSlot().store(level, std::memory_order_relaxed);
}

bool logEnabled(LogLevel level)
{
    return level >= logThreshold();
}

void logLine(std::string_view message)
{
    logLine(LogLevel::info, message);
}

void logLine(LogLevel level, std::string_view message)
{
    if (!logEnabled(level))
        return;
    std::string line;
    if (level == LogLevel::debug)
        line = "debug: ";
    line += message;
    std::lock_guard lock(logMutex());
    if (auto& sink = sinkSlot()) {
        sink(line);
        return;
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void setLogSink(std::function<void(std::string_view)> sink)
{
    std::lock_guard lock(logMutex());
    sinkSlot() = std::move(sink);
}

} // namespace plovane
