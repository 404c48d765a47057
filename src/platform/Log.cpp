#include "platform/Log.h"

#include <cstdio>
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
} // namespace

void logLine(std::string_view message)
{
    std::lock_guard lock(logMutex());
    if (auto& sink = sinkSlot()) {
        sink(message);
        return;
    }
    std::string line(message);
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
