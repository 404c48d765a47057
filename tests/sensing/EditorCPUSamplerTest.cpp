#include "SensingFakes.h"
#include "platform/ProcessTable.h"
#include "sensing/EditorCPUSampler.h"
#include "testing/FakeClock.h"

#include <gtest/gtest.h>

#include <map>

namespace plovane {
namespace {

class FakeProcessTable final : public ProcessTable {
public:
    std::map<int, std::uint64_t> totals;
    std::vector<int> queried;
    std::optional<std::uint64_t> cpuTimeNanoseconds(int pid) override
    {
        queried.push_back(pid);
        auto it = totals.find(pid);
        if (it == totals.end())
            return std::nullopt;
        return it->second;
    }
};

class EditorCPUSamplerTest : public ::testing::Test {
protected:
    FakeClock clock;
    test::FakeWorkspace workspace;
    FakeProcessTable processes;

    void run(int pid, std::string bundleID, std::string name, std::uint64_t total)
    {
        workspace.running.push_back(RunningApplication{std::move(bundleID), std::move(name), "", pid});
        processes.totals[pid] = total;
    }
    TimePoint at(double seconds) const { return addSeconds(FakeClock::defaultStart(), seconds); }
};

TEST_F(EditorCPUSamplerTest, HalfASecondOfCpuInOneSecondAddsFifty)
{
    run(10, "dev.zed.Zed", "Zed", 2'000'000'000);
    EditorCPUSampler sampler{workspace, processes, {"zed"}, 0.35, clock};
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(1)), 0) << "the first sight of a process adds nothing";
    processes.totals[10] += 500'000'000;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(2)), 17.5);
}

TEST_F(EditorCPUSamplerTest, MatchingIgnoresCaseOnNameAndIdentifier)
{
    run(1, "com.jetbrains.pycharm", "PyCharm", 0);
    run(2, "org.example.Other", "VSCodium", 0);
    run(3, "org.example.Music", "Tunes", 0);
    EditorCPUSampler sampler{workspace, processes, {"JetBrains", "vscod"}, 0.35, clock};
    sampler.sampleCPU(at(1));
    EXPECT_EQ(processes.queried, (std::vector<int>{1, 2}));
    processes.totals[1] = processes.totals[2] = processes.totals[3] = 1'000'000'000;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(2)), 0.35 * 200);
}

TEST_F(EditorCPUSamplerTest, NoMatchDecaysByTheComplementOfAlpha)
{
    run(10, "dev.zed.Zed", "Zed", 0);
    EditorCPUSampler sampler{workspace, processes, {"zed"}, 0.35, clock};
    sampler.sampleCPU(at(1));
    processes.totals[10] = 1'000'000'000;
    const double first = sampler.sampleCPU(at(2));
    workspace.running.clear();
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(3)), first * 0.65);
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(4)), first * 0.65 * 0.65);
}

TEST_F(EditorCPUSamplerTest, StillOrBackwardClockChangesNothing)
{
    run(10, "dev.zed.Zed", "Zed", 0);
    EditorCPUSampler sampler{workspace, processes, {"zed"}, 0.35, clock};
    sampler.sampleCPU(at(1));
    processes.totals[10] = 1'000'000'000;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(1)), 0);
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(0.5)), 0);
    // The interval still runs from the last real sample at 1 s.
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(3)), 0.35 * 50);
}

TEST_F(EditorCPUSamplerTest, QuitReusedAndUnreadableProcesses)
{
    run(10, "dev.zed.Zed", "Zed", 5'000'000'000);
    EditorCPUSampler sampler{workspace, processes, {"zed"}, 1.0, clock};
    sampler.sampleCPU(at(1));

    // Unreadable for one sample: keeps its old total, so the next delta spans both.
    processes.totals.erase(10);
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(2)), 0);
    processes.totals[10] = 6'000'000'000;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(3)), 100);

    // A new process on the same pid starts below the old total: nothing is added.
    processes.totals[10] = 100;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(4)), 0);
    processes.totals[10] = 200'000'100;
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(5)), 20);

    // Quits, then a process with the same pid appears: it is a first sight again.
    workspace.running.clear();
    sampler.sampleCPU(at(6));
    run(10, "dev.zed.Zed", "Zed", 900'000'000'000);
    EXPECT_DOUBLE_EQ(sampler.sampleCPU(at(7)), 0);
}

} // namespace
} // namespace plovane
