// Costs of one tick's sensing on a real desktop: the frontmost snapshot and idle query
// against the X server, the /proc running-applications scan (cold and warm, with about
// 300 processes), and the IDE snapshot with a focused accessible over AT-SPI. Run it
// under scripts/test-desktop.sh; parts whose service is missing report an error.
#include "platform/Paths.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/apps/DesktopEntries.h"
#include "platform/linux/apps/ProcRunningApplications.h"
#include "platform/linux/x11/XScreenSaverIdleSource.h"
#include "platform/linux/x11/XSyncIdleSource.h"
#include "platform/linux/x11/XcbConnection.h"
#include "platform/linux/x11/XcbWorkspace.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"
#include "sensing/IDEStateProvider.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace plovane {
namespace {

std::shared_ptr<ApplicationIdentity> makeIdentity()
{
    return std::make_shared<ApplicationIdentity>(
        std::make_shared<DesktopEntries>(paths::dataDirs(), preferredLanguages()));
}

int processCount()
{
    int n = 0;
    if (DIR* d = ::opendir("/proc")) {
        while (const dirent* e = ::readdir(d))
            n += e->d_name[0] >= '1' && e->d_name[0] <= '9';
        ::closedir(d);
    }
    return n;
}

// Sleeping children that bring the process table to about 300 entries while the
// benchmarks run; stopped by their own pids.
class ProcessPadding {
public:
    explicit ProcessPadding(int target)
    {
        char sleepPath[] = "/bin/sleep";
        char seconds[] = "600";
        char* args[] = {sleepPath, seconds, nullptr};
        for (int n = processCount(); n < target; ++n) {
            pid_t pid = 0;
            if (posix_spawn(&pid, sleepPath, nullptr, nullptr, args, environ) != 0)
                break;
            pids_.push_back(pid);
        }
    }
    ~ProcessPadding()
    {
        for (pid_t pid : pids_)
            ::kill(pid, SIGTERM);
        for (pid_t pid : pids_)
            ::waitpid(pid, nullptr, 0);
    }

private:
    std::vector<pid_t> pids_;
};

struct Desktop {
    std::shared_ptr<XcbConnection> x = XcbConnection::open();
    std::shared_ptr<ApplicationIdentity> identity = makeIdentity();
};

Desktop& desktop()
{
    static Desktop d;
    return d;
}

void BM_FrontmostSnapshot(benchmark::State& state)
{
    if (!desktop().x) {
        state.SkipWithError("no X display");
        return;
    }
    XcbWorkspace workspace{desktop().x, desktop().identity};
    ActiveAppMonitor monitor{workspace};
    for (auto _ : state)
        benchmark::DoNotOptimize(monitor.frontmostAppSnapshot());
}
BENCHMARK(BM_FrontmostSnapshot);

void BM_IdleQuery(benchmark::State& state)
{
    if (!desktop().x) {
        state.SkipWithError("no X display");
        return;
    }
    XScreenSaverIdleSource source{desktop().x};
    GlobalInputMonitor monitor{source};
    for (auto _ : state)
        benchmark::DoNotOptimize(monitor.snapshot());
}
BENCHMARK(BM_IdleQuery);

// The same from the SYNC alarm, as the application reads it: no request while nothing changes.
void BM_IdleFromAlarm(benchmark::State& state)
{
    auto source = desktop().x ? XSyncIdleSource::open(desktop().x) : nullptr;
    if (!source) {
        state.SkipWithError("no X display with SYNC's IDLETIME counter");
        return;
    }
    GlobalInputMonitor monitor{*source};
    for (auto _ : state)
        benchmark::DoNotOptimize(monitor.snapshot());
    state.counters["round trips"] = static_cast<double>(source->roundTrips());
}
BENCHMARK(BM_IdleFromAlarm);

void BM_RunningApplicationsCold(benchmark::State& state)
{
    for (auto _ : state) {
        ProcRunningApplications running{*desktop().identity};
        benchmark::DoNotOptimize(running.list());
    }
    state.counters["processes"] = processCount();
}
BENCHMARK(BM_RunningApplicationsCold);

void BM_RunningApplicationsWarm(benchmark::State& state)
{
    ProcRunningApplications running{*desktop().identity};
    running.list();
    for (auto _ : state)
        benchmark::DoNotOptimize(running.list());
    state.counters["processes"] = processCount();
}
BENCHMARK(BM_RunningApplicationsWarm);

// A focused line edit in an accessible Qt window, as an AI editor's prompt box.
class FocusedAccessible {
public:
    FocusedAccessible()
    {
        source = AtspiAccessibilitySource::connectToSession(QDBusConnection::sessionBus());
        if (!source)
            return;
        int out[2];
        int in[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        char path[] = PLOVANE_ACCESSIBLE_WINDOW;
        char* args[] = {path, nullptr};
        posix_spawn(&pid_, path, &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(in[0]);
        stdin_ = in[1];
        std::string id;
        char c = 0;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 15000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            id.push_back(c);
        ::close(out[0]);
        if (id.empty() || std::system(("timeout 20 xdotool windowactivate --sync " + id + " >/dev/null 2>&1").c_str()) != 0)
            return;
        QElapsedTimer timer;
        timer.start();
        while (!source->focusedApplication() && timer.elapsed() < 15000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ~FocusedAccessible()
    {
        if (stdin_ >= 0)
            ::close(stdin_);
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return source && source->focusedApplication(); }

    std::unique_ptr<AtspiAccessibilitySource> source;

private:
    pid_t pid_{-1};
    int stdin_{-1};
};

void BM_IDESnapshotWithFocusedAccessible(benchmark::State& state)
{
    FocusedAccessible focused;
    if (!focused.ready()) {
        state.SkipWithError("no accessibility bus or no focus event");
        return;
    }
    AXContextMonitor monitor{*focused.source};
    IDEStateProvider provider{monitor};
    const ActiveAppSnapshot app{"Cursor", "com.todesktop.230313mzl4w4u92", ""};
    for (auto _ : state)
        benchmark::DoNotOptimize(provider.snapshot(app, InputSnapshot{0.4, true}, 1, IDESensingSwitches{true, false}));
}
BENCHMARK(BM_IDESnapshotWithFocusedAccessible)->Unit(benchmark::kMicrosecond);

// What one engine tick asks of the sensors while a plain application is in front:
// frontmost app, idle time, the running applications (music check), the IDE snapshot.
void BM_TickSensingWarm(benchmark::State& state)
{
    if (!desktop().x) {
        state.SkipWithError("no X display");
        return;
    }
    XcbWorkspace workspace{desktop().x, desktop().identity};
    ActiveAppMonitor apps{workspace};
    std::shared_ptr<InputIdleSource> idleSource = XSyncIdleSource::open(desktop().x);
    if (!idleSource)
        idleSource = std::make_shared<XScreenSaverIdleSource>(desktop().x);
    GlobalInputMonitor input{*idleSource};
    NullAccessibilitySource noAccessibility;
    AXContextMonitor ax{noAccessibility};
    IDEStateProvider ide{ax};
    workspace.runningApplications();
    for (auto _ : state) {
        auto app = apps.frontmostAppSnapshot();
        auto idle = input.snapshot();
        benchmark::DoNotOptimize(workspace.runningApplications());
        benchmark::DoNotOptimize(ide.snapshot(app, idle, 0, IDESensingSwitches{true, false}));
    }
}
BENCHMARK(BM_TickSensingWarm)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace plovane

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    plovane::ProcessPadding padding{300};
    std::printf("processes during the run: %d\n", plovane::processCount());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
