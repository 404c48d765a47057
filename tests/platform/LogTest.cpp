#include "platform/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
