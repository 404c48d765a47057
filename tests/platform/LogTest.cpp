#include "platform/Log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace plovane;

namespace {
struct CapturedLog {
    std::vector<std::string> lines;
    CapturedLog()
    {
        setLogSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~CapturedLog() { setLogSink({}); }
};
} // namespace

TEST(Log, ThresholdComesFromTheEnvironmentAtTheFirstLine)
{
    // Each test runs in a process of its own, so nothing has logged yet.
    ::setenv("PLOVANE_LOG", "Debug", 1);
    CapturedLog log;
    logDebug("sensed");
    EXPECT_EQ(logThreshold(), LogLevel::debug);
    EXPECT_EQ(log.lines, std::vector<std::string>{"debug: sensed"});
}

TEST(Log, LinesBelowTheThresholdAreDroppedAndInfoLinesKeepTheirText)
{
    CapturedLog log;
    setLogThreshold(LogLevel::info);
    EXPECT_FALSE(logEnabled(LogLevel::debug));
    logDebug("tick");
    logLine("Knock received: show hint + beep.");
    logWarning("disk full");
    setLogThreshold(LogLevel::error);
    logLine("hidden");
    logWarning("hidden too");
    logError("kept");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Knock received: show hint + beep.", "disk full", "kept"}));
}

TEST(Log, LevelNamesIgnoreCaseAndUnknownNamesAreNone)
{
    EXPECT_EQ(parseLogLevel("debug"), LogLevel::debug);
    EXPECT_EQ(parseLogLevel("INFO"), LogLevel::info);
    EXPECT_EQ(parseLogLevel("warn"), LogLevel::warning);
    EXPECT_EQ(parseLogLevel("Warning"), LogLevel::warning);
    EXPECT_EQ(parseLogLevel("error"), LogLevel::error);
    EXPECT_EQ(parseLogLevel(""), std::nullopt);
    EXPECT_EQ(parseLogLevel("verbose"), std::nullopt);
}

TEST(Log, AStderrNobodyReadsDropsLinesInsteadOfBlockingAndCountsThemOnceDrained)
{
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    // Full before the first line: every write to it would block.
    ::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    const std::string filler(4096, '\n');
    while (::write(pipeFds[1], filler.data(), filler.size()) > 0) {
    }
    ::fcntl(pipeFds[1], F_SETFL, 0);
    const int savedStderr = ::dup(STDERR_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    setLogThreshold(LogLevel::info);

    constexpr int kLines = 3000; // about 600 KB, more than the pipe and the queue hold
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread([done] {
        for (int i = 0; i < kLines; ++i)
            logLine("line " + std::to_string(i) + " " + std::string(200, '.'));
        *done = true;
    }).detach();
    for (int i = 0; i < 200 && !*done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool returned = *done;

    // Now the reader catches up: the lines that fitted come in order, then the count.
    std::string text;
    char buffer[65536];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline && text.find("reading.\n") == std::string::npos) {
        pollfd readable{pipeFds[0], POLLIN, 0};
        if (::poll(&readable, 1, 100) > 0) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0)
                text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);
    ASSERT_TRUE(returned) << "logging waited for a standard error nobody reads";

    std::istringstream lines(text);
    std::string line;
    int written = 0;
    int last = -1;
    long dropped = -1;
    while (std::getline(lines, line)) {
        if (line.starts_with("line ")) {
            const int number = std::stoi(line.substr(5));
            EXPECT_GT(number, last);
            last = number;
            ++written;
        } else if (line.find("dropped while standard error was not being read") != std::string::npos) {
            EXPECT_EQ(dropped, -1) << "the count is said once";
            dropped = std::stol(line);
        }
    }
    ASSERT_GT(dropped, 0) << "no count of the dropped lines";
    EXPECT_GT(written, 0);
    EXPECT_EQ(written + dropped, kLines);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}
