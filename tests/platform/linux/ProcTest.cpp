#include "TestSupport.h"
#include "platform/AppIdentity.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/apps/DesktopEntries.h"
#include "platform/linux/apps/ProcRunningApplications.h"
#include "platform/linux/apps/ProcStatProcessTable.h"
#include "platform/linux/accessibility/AtspiRoles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <mutex>
#include <set>
#include <atomic>
#include <array>

#include <filesystem>
#include <fstream>

namespace plovane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void writeProcess(const std::string& root, int pid, const std::string& cmdline, const std::string& comm = "x",
                  unsigned uid = ::getuid(), const std::string& environ = {})
{
    const std::string dir = root + "/" + std::to_string(pid);
    fs::create_directories(dir);
    std::ofstream(dir + "/cmdline", std::ios::binary) << cmdline;
    std::ofstream(dir + "/comm") << comm << "\n";
    std::ofstream(dir + "/status") << "Name:\t" << comm << "\nUmask:\t0022\nState:\tS (sleeping)\nUid:\t" << uid << "\t"
                                   << uid << "\t" << uid << "\t" << uid << "\n";
    std::ofstream(dir + "/environ", std::ios::binary) << environ;
}

TEST(ProcStatTest, ParsesUserAndSystemTicksPastAnAwkwardName)
{
    const std::string stat =
        "4242 (we ird) (name)) S 1 4242 4242 0 -1 4194560 500 0 0 0 250 130 0 0 20 0 3 0 12345 0 0";
    EXPECT_EQ(ProcStatProcessTable::parseStat(stat, 100), 3'800'000'000ULL);
    EXPECT_EQ(ProcStatProcessTable::parseStat("1 (x) S 1 2", 100), std::nullopt);
    EXPECT_EQ(ProcStatProcessTable::parseStat("garbage", 100), std::nullopt);
    // Tick rates that do not divide a second keep nanosecond precision.
    EXPECT_EQ(ProcStatProcessTable::parseStat("1 (x) S 1 1 1 0 -1 0 0 0 0 0 1 0 0", 3), 333'333'333ULL);
}

TEST(ProcStatTest, ReadsOurOwnProcessAndNothingForAMissingOne)
{
    ProcStatProcessTable table;
    volatile double sink = 0;
    for (int i = 0; i < 20'000'000; ++i)
        sink = sink + i * 0.5;
    const auto mine = table.cpuTimeNanoseconds(static_cast<int>(::getpid()));
    ASSERT_TRUE(mine.has_value());
    EXPECT_GT(*mine, 0u);
    EXPECT_FALSE(table.cpuTimeNanoseconds(999'999'999).has_value());
}

TEST(ProcRunningApplicationsTest, MapsProgramsAndResolvesEachPidOnce)
{
    const std::string proc = test::makeTempDir("proc");
    writeProcess(proc, 100, "/usr/share/spotify/spotify\0--flag\0"s);
    writeProcess(proc, 101, "/usr/bin/bash\0"s);
    writeProcess(proc, 102, "", "kworker/0:1"); // kernel thread
    writeProcess(proc, 103, "/opt/google/chrome/chrome --type=renderer\0\0\0"s);
    writeProcess(proc, static_cast<int>(::getpid()), "/anything\0"s);
    fs::create_directories(proc + "/self");

    ApplicationIdentity identity{std::make_shared<DesktopEntries>(std::vector<std::string>{})};
    ProcRunningApplications running{identity, proc};
    auto apps = running.list();
    std::map<int, std::string> byPid;
    for (const auto& app : apps)
        byPid[app.pid] = app.bundleID;
    EXPECT_EQ(byPid, (std::map<int, std::string>{{100, "com.spotify.client"},
                                                 {103, "com.google.Chrome"},
                                                 {static_cast<int>(::getpid()), std::string(kAppIdentifier)}}));

    // Cached: changing a known pid's command line changes nothing while it lives ...
    writeProcess(proc, 100, "/usr/bin/bash\0"s);
    writeProcess(proc, 104, "/usr/bin/konsole\0"s);
    apps = running.list();
    EXPECT_EQ(apps.size(), 4u);
    // ... and a pid that disappeared is forgotten, so its reuse resolves afresh.
    fs::remove_all(proc + "/100");
    EXPECT_EQ(running.list().size(), 3u);
    writeProcess(proc, 100, "/usr/bin/bash\0"s);
    for (const auto& app : running.list())
        EXPECT_NE(app.pid, 100);
}

TEST(ProcRunningApplicationsTest, ListsOnlyThisUsersProgramsInThisSession)
{
    const std::string proc = test::makeTempDir("proc");
    const int self = static_cast<int>(::getpid());
    const unsigned uid = ::getuid();
    writeProcess(proc, self, "/plovane\0"s, "plovane", uid, "HOME=/h\0XDG_SESSION_ID=3\0DISPLAY=:1\0WAYLAND_DISPLAY=wayland-0\0"s);
    writeProcess(proc, 100, "spotify\0"s, "x", uid, "DISPLAY=:1.0\0XDG_SESSION_ID=3\0"s);
    writeProcess(proc, 101, "spotify\0"s, "x", uid + 1, "DISPLAY=:1\0"s);                  // another user
    writeProcess(proc, 102, "spotify\0"s, "x", uid, "XDG_SESSION_ID=7\0"s);                // the user's ssh login
    writeProcess(proc, 103, "spotify\0"s, "x", uid, "DISPLAY=:2\0XDG_SESSION_ID=8\0"s);   // their second seat
    writeProcess(proc, 104, "spotify\0"s, "x", uid, "XDG_SESSION_ID=2\0DISPLAY=unix:1\0"s); // shares our screen
    writeProcess(proc, 105, "spotify\0"s, "x", uid, "LANG=C\0"s);                         // a user service
    writeProcess(proc, 106, "spotify\0"s, "x", uid);
    writeProcess(proc, 108, "spotify\0"s, "x", uid, "WAYLAND_DISPLAY=/run/user/1000/wayland-0\0"s);
    writeProcess(proc, 109, "spotify\0"s, "x", uid, "WAYLAND_DISPLAY=wayland-1\0"s);
    fs::create_directories(proc + "/107");
    std::ofstream(proc + "/107/cmdline", std::ios::binary) << "spotify\0"s; // no status: gone
    // Only the session's cgroup tells where a process without the variable runs.
    std::ofstream(proc + "/106/cgroup") << "0::/user.slice/user-1000.slice/session-9.scope\n";

    ApplicationIdentity identity{std::make_shared<DesktopEntries>(std::vector<std::string>{})};
    ProcRunningApplications running{identity, proc};
    std::set<int> pids;
    for (const auto& app : running.list())
        pids.insert(app.pid);
    EXPECT_EQ(pids, (std::set<int>{self, 100, 104, 105, 108}));
}

bool listsPid(ProcRunningApplications& running, int pid)
{
    const auto apps = running.list();
    return std::any_of(apps.begin(), apps.end(), [pid](const RunningApplication& a) { return a.pid == pid; });
}

// Starts `sleep 30` under the name of a known music player; 0 when it cannot start.
pid_t spawnPlayer(char** environment = environ)
{
    std::string program = "/bin/sleep", name = "spotify", seconds = "30";
    std::array<char*, 3> argv{name.data(), seconds.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environment) != 0)
        return 0;
    // posix_spawn returns as the child starts its new program, a moment before the kernel
    // publishes the new command line: wait for it, or the first listing may see none.
    const std::string cmdline = "/proc/" + std::to_string(child) + "/cmdline";
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(cmdline);
        std::string argv0;
        std::getline(in, argv0, '\0');
        if (argv0 == name)
            break;
        ::usleep(5000);
    }
    return child;
}

// Ends a child and waits until it has left the process table (also where children are
// reaped for us and waitpid cannot wait).
void endChild(pid_t child)
{
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    for (int i = 0; i < 400 && ::kill(child, 0) == 0; ++i)
        ::usleep(5000);
}

TEST(ProcRunningApplicationsTest, RealProcSeesProcessesComeAndGoBetweenCalls)
{
    // Repeated calls reuse the last listing while no process comes or goes: a child that
    // starts or ends in between must still show up or disappear.
    ApplicationIdentity identity{std::make_shared<DesktopEntries>(std::vector<std::string>{})};
    ProcRunningApplications running{identity};
    const int self = static_cast<int>(::getpid());
    ASSERT_TRUE(listsPid(running, self));
    ASSERT_TRUE(listsPid(running, self));

    const pid_t child = spawnPlayer();
    ASSERT_NE(child, 0);
    EXPECT_TRUE(listsPid(running, child));
    EXPECT_TRUE(listsPid(running, child));

    endChild(child);
    EXPECT_FALSE(listsPid(running, child));
    EXPECT_TRUE(listsPid(running, self));

    // The same user's player in a login on another display is not ours.
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        std::string elsewhere = std::string(display) == ":4242" ? "DISPLAY=:4243" : "DISPLAY=:4242";
        std::string session = "XDG_SESSION_ID=plovane-elsewhere";
        std::array<char*, 3> environment{elsewhere.data(), session.data(), nullptr};
        const pid_t other = spawnPlayer(environment.data());
        ASSERT_NE(other, 0);
        EXPECT_FALSE(listsPid(running, other));
        endChild(other);
    }
}

TEST(ProcRunningApplicationsTest, ThreadsAreNotAppsAndBurstsFindNewProcesses)
{
    // This test program is an application here, so a thread taken for a process of its
    // own would show up as one more of it.
    const std::string data = test::makeTempDir("data");
    fs::create_directories(data + "/applications");
    std::ofstream(data + "/applications/org.example.Tests.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tests\nExec=" << fs::read_symlink("/proc/self/exe").filename().string()
        << "\n";
    ApplicationIdentity identity{std::make_shared<DesktopEntries>(std::vector<std::string>{data})};
    ASSERT_TRUE(identity.forProcess(fs::read_symlink("/proc/self/exe").filename().string()).has_value());
    ProcRunningApplications running{identity};
    const int self = static_cast<int>(::getpid());
    auto countOf = [](const std::vector<RunningApplication>& apps, int pid) {
        return std::count_if(apps.begin(), apps.end(), [pid](const auto& a) { return a.pid == pid; });
    };
    ASSERT_EQ(countOf(running.list(), self), 1);

    // A few threads take pids of their own: each is part of this process, not one more.
    for (int round = 0; round < 2; ++round) {
        std::vector<std::thread> threads;
        std::atomic<bool> done{false};
        std::mutex mutex;
        std::set<int> tids;
        for (int i = 0; i < (round == 0 ? 5 : 100); ++i) // a handful, then more than are probed one by one
            threads.emplace_back([&] {
                {
                    std::lock_guard lock(mutex);
                    tids.insert(static_cast<int>(::gettid()));
                }
                while (!done)
                    ::usleep(1000);
            });
        while ([&] { std::lock_guard lock(mutex); return tids.size() < threads.size(); }())
            ::usleep(1000);
        const pid_t child = spawnPlayer();
        const auto apps = running.list();
        done = true;
        for (auto& t : threads)
            t.join();
        EXPECT_EQ(countOf(apps, self), 1) << "round " << round;
        EXPECT_EQ(countOf(apps, child), 1) << "round " << round;
        for (const auto& app : apps)
            EXPECT_EQ(tids.count(app.pid), 0u) << "round " << round << ": thread " << app.pid << " listed as " << app.bundleID;
        endChild(child);
        EXPECT_EQ(countOf(running.list(), child), 0) << "round " << round;
    }
}

TEST(ProcRunningApplicationsTest, UnreadableProcIsEmpty)
{
    ApplicationIdentity identity{std::make_shared<DesktopEntries>(std::vector<std::string>{})};
    ProcRunningApplications running{identity, "/nonexistent/proc"};
    EXPECT_TRUE(running.list().empty());
}

TEST(AtspiRolesTest, TextInputsBecomeFieldsOrAreasOtherRolesCamelCase)
{
    EXPECT_EQ(axRoleForAtspiRole("text", false), "AXTextField");
    EXPECT_EQ(axRoleForAtspiRole("entry", true), "AXTextArea");
    EXPECT_EQ(axRoleForAtspiRole("password text", true), "AXTextField");
    EXPECT_EQ(axRoleForAtspiRole("terminal", false), "AXTextArea");
    EXPECT_EQ(axRoleForAtspiRole("push button", false), "AXButton");
    EXPECT_EQ(axRoleForAtspiRole("tree table", false), "AXTreeTable");
    EXPECT_EQ(axRoleForAtspiRole("", false), "");
}

} // namespace
} // namespace plovane
