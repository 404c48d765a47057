#include "platform/Log.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include <cerrno>
#include <unistd.h>

namespace plovane {
namespace {

// Lines wait here for a writer thread, so a standard error that nobody reads (a full
// pipe, a stopped terminal) holds up that thread alone: the program keeps ticking and
// answering signals. What does not fit while it waits is dropped and counted.
constexpr std::size_t kMaxQueuedBytes = 256 * 1024;

struct StderrWriter {
    std::mutex mutex;
    std::condition_variable wake;    // lines to write
    std::condition_variable drained; // the queue is empty and nothing is being written
    std::deque<std::string> queue;
    std::size_t queuedBytes{0};
    std::size_t dropped{0};
    bool writing{false};
    bool started{false};

    void enqueue(std::string line)
    {
        std::unique_lock lock(mutex);
        if (queuedBytes + line.size() > kMaxQueuedBytes) {
            ++dropped;
            return;
        }
        queuedBytes += line.size();
        queue.push_back(std::move(line));
        if (!started) {
            started = true;
            // Never joined, and the writer itself is never destroyed: a thread stuck in
            // write(2) must not hold up the exit, nor outlive what it uses.
            std::thread([this] { run(); }).detach();
            std::atexit([] { flushLog(); });
        }
        wake.notify_one();
    }

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !queue.empty(); });
            std::string batch;
            while (!queue.empty()) {
                batch += queue.front();
                queuedBytes -= queue.front().size();
                queue.pop_front();
            }
            writing = true;
            lock.unlock();
            writeAll(batch);
            lock.lock();
            // Said once the reader has caught up, in its place among the lines.
            if (dropped != 0 && queue.empty()) {
                const std::string note = std::to_string(dropped) +
                                         (dropped == 1 ? " log line was" : " log lines were") +
                                         " dropped while standard error was not being read.\n";
                dropped = 0;
                lock.unlock();
                writeAll(note);
                lock.lock();
            }
            writing = false;
            if (queue.empty())
                drained.notify_all();
        }
    }

    static void writeAll(const std::string& text)
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return; // closed or broken: nothing more can go there
            done += static_cast<std::size_t>(n);
        }
    }

    bool flush(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex);
        return drained.wait_for(lock, limit, [this] { return queue.empty() && !writing; });
    }
};

StderrWriter& stderrWriter()
{
    static auto* writer = new StderrWriter;
    return *writer;
}

std::mutex& sinkMutex()
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
    {
        std::lock_guard lock(sinkMutex());
        if (auto& sink = sinkSlot()) {
            sink(line);
            return;
        }
    }
    line.push_back('\n');
    stderrWriter().enqueue(std::move(line));
}

bool flushLog(std::chrono::milliseconds limit)
{
    return stderrWriter().flush(limit);
}

void setLogSink(std::function<void(std::string_view)> sink)
{
    std::lock_guard lock(sinkMutex());
    sinkSlot() = std::move(sink);
}

} // namespace plovane
