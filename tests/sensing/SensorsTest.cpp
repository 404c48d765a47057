#include "SensingFakes.h"
#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

TEST(ActiveAppMonitorTest, FallsBackWhenNothingIsFrontmostOrFieldsAreMissing)
{
    FakeWorkspace workspace;
    ActiveAppMonitor monitor{workspace};

    auto none = monitor.frontmostAppSnapshot();
    EXPECT_EQ(none.name, "Unknown");
    EXPECT_EQ(none.bundleID, "unknown.bundle.id");
    EXPECT_TRUE(none.icon.empty());

    workspace.frontmost = RunningApplication{"", "Scratchpad", "accessories-text-editor", 42};
    auto nameOnly = monitor.frontmostAppSnapshot();
    EXPECT_EQ(nameOnly.name, "Scratchpad");
    EXPECT_EQ(nameOnly.bundleID, "unknown.bundle.id");
    EXPECT_EQ(nameOnly.icon, "accessories-text-editor");

    workspace.frontmost = RunningApplication{"org.mozilla.firefox", "", "", 7};
    EXPECT_EQ(monitor.frontmostAppName(), "Unknown");
    EXPECT_EQ(monitor.frontmostBundleID(), "org.mozilla.firefox");
}

TEST(ActiveAppMonitorTest, SnapshotReadsTheWorkspaceOncePerCall)
{
    FakeWorkspace workspace;
    workspace.frontmost = RunningApplication{"dev.zed.Zed", "Zed", "/usr/share/icons/zed.png", 9};
    ActiveAppMonitor monitor{workspace};
    auto snap = monitor.frontmostAppSnapshot();
    EXPECT_EQ(workspace.frontmostReads, 1);
    EXPECT_EQ(snap.name, "Zed");
    EXPECT_EQ(snap.bundleID, "dev.zed.Zed");
    EXPECT_EQ(snap.icon, "/usr/share/icons/zed.png");
}

TEST(GlobalInputMonitorTest, ActiveTypingIsStrictlyBelowOneAndAHalfSeconds)
{
    FakeIdleSource idle;
    GlobalInputMonitor monitor{idle};

    idle.idle = 0.9;
    auto recent = monitor.snapshot();
    EXPECT_DOUBLE_EQ(recent.noInputSeconds, 0.9);
    EXPECT_TRUE(recent.isActivelyTyping);

    idle.idle = 1.5;
    EXPECT_FALSE(monitor.snapshot().isActivelyTyping);

    idle.idle = 999;
    auto noDisplay = monitor.snapshot();
    EXPECT_DOUBLE_EQ(noDisplay.noInputSeconds, 999);
    EXPECT_FALSE(noDisplay.isActivelyTyping);
}

TEST(GlobalInputMonitorTest, NowAndBurstWindowChangeNothing)
{
    FakeIdleSource idle;
    idle.idle = 3.25;
    GlobalInputMonitor monitor{idle};
    auto plain = monitor.snapshot();
    auto other = monitor.snapshot(TimePoint{} + std::chrono::hours(1000), 60);
    EXPECT_DOUBLE_EQ(plain.noInputSeconds, other.noInputSeconds);
    EXPECT_EQ(plain.isActivelyTyping, other.isActivelyTyping);
    EXPECT_EQ(monitor.hasAccessibilityPermission(), "");
}

} // namespace
} // namespace plovane
