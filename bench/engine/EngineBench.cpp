// Costs of the engine's one-second tick and of the periodic save of today's record.

#include "engine/DiveEngine.h"
#include "platform/AccessibilitySource.h"
#include "platform/FileUserDefaults.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/InputIdleSource.h"
#include "platform/SleepWakeNotifier.h"
#include "platform/Workspace.h"
#include "sensing/AXContextMonitor.h"
#include "testing/FakeDesktop.h"
#include "testing/VirtualScheduler.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace plovane;

namespace {

// A typing user in an editor, with a desktop of 60 running processes, one of them a
// music player. The gauge is made endless so every tick is an ordinary flow tick.
struct Bench {
    FakeClock clock;
    VirtualScheduler scheduler{clock};
    FakeWorkspace workspace;
    FakeIdleSource input{0.4};
    NullAccessibilitySource accessibility;
    AXContextMonitor ax{accessibility};
    SleepWakeNotifier sleepWake;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::unique_ptr<DiveEngine> engine;

    explicit Bench(const DailyStats* today = nullptr)
    {
        UserDefaults::setStandard(defaults);
        workspace.frontmost = RunningApplication{"com.microsoft.VSCode", "Code", "code", 100};
        for (int pid = 1; pid <= 59; ++pid)
            workspace.running.push_back({"org.example.app" + std::to_string(pid), "App", "", pid});
        workspace.running.push_back({"com.spotify.client", "Spotify", "", 60});
        if (today)
            today->save(*defaults);
        engine = std::make_unique<DiveEngine>(
            DiveConfig{.decompressionDepthThreshold = 1e12}, std::make_unique<GlobalInputMonitor>(input),
            std::make_unique<ActiveAppMonitor>(workspace), std::make_unique<IDEStateProvider>(ax),
            EngineServices{clock, scheduler, workspace, sleepWake, *defaults, EngineTuning{.sessionMinutes = 1e12}});
    }
    ~Bench()
    {
        engine.reset();
        UserDefaults::setStandard(nullptr);
    }
    void tick()
    {
        clock.advance(1);
        engine->tickForTesting();
    }
};

DailyStats busyDay(const std::string& date, int apps)
{
    DailyStats day{.date = date};
    for (int i = 0; i < apps; ++i)
        day.add(30 + i, i % 2 ? DiveState::flow : DiveState::research, "org.example.tool" + std::to_string(i),
                "Tool " + std::to_string(i));
    return day;
}

void BM_TickWithFakeSensors(benchmark::State& state)
{
    Bench bench;
    for (auto _ : state)
        bench.tick();
    state.counters["savesEvery10Ticks"] = 1;
}
BENCHMARK(BM_TickWithFakeSensors);

void BM_TickBookingIntoADayOf200Apps(benchmark::State& state)
{
    const DailyStats today = busyDay(DailyStats::dateKey(FakeClock::defaultStart()), 200);
    Bench bench(&today);
    for (auto _ : state)
        bench.tick();
    state.counters["apps"] = static_cast<double>(bench.engine->dailyStats->appDurations.size());
}
BENCHMARK(BM_TickBookingIntoADayOf200Apps);

// `days` earlier days of 15 applications each, stored through `store`.
void storeHistory(UserDefaults& store, long long days)
{
    const TimePoint start = FakeClock::defaultStart();
    for (long long d = 1; d <= days; ++d)
        busyDay(DailyStats::dateKey(start - std::chrono::hours(24 * d)), 15).save(store);
}

std::string makeBenchFolder()
{
    char pattern[] = "/tmp/plovane-bench-XXXXXX";
    return ::mkdtemp(pattern);
}

// Saves today's record (40 applications), one more booked second each time.
void saveTodayRepeatedly(benchmark::State& state, UserDefaults& store)
{
    DailyStats today = busyDay(DailyStats::dateKey(FakeClock::defaultStart()), 40);
    for (auto _ : state) {
        today.add(1, DiveState::flow, "org.example.tool1", "Tool 1");
        today.save(store);
    }
    state.counters["daysStored"] = static_cast<double>(state.range(0));
}

// One save of today's record (40 applications) written through to disk (atomic replace
// with fsync), with `range(0)` other days stored beside it.
void BM_SaveTodayToDisk(benchmark::State& state)
{
    const std::string folder = makeBenchFolder();
    {
        FileUserDefaults store(folder);
        storeHistory(store, state.range(0));
        ::sync(); // let the history's writeback settle before measuring
        saveTodayRepeatedly(state, store);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveTodayToDisk)->Arg(0)->Arg(3 * 365)->Unit(benchmark::kMicrosecond);

// The same save as the program makes it: into the store, whose write to disk is
// coalesced behind a short delay (never reached here).
void BM_SaveTodayCoalesced(benchmark::State& state)
{
    const std::string folder = makeBenchFolder();
    {
        FakeClock clock;
        VirtualScheduler scheduler(clock);
        FileUserDefaults store(folder, &scheduler);
        storeHistory(store, state.range(0));
        store.flush();
        saveTodayRepeatedly(state, store);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveTodayCoalesced)->Arg(0)->Arg(3 * 365)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
