#pragma once

#include "platform/Workspace.h"
#include "platform/linux/apps/ApplicationIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace plovane {

// The running applications from a scan of /proc: every process of this session whose
// program maps to an application identity. Each pid is resolved once and remembered while
// it lives. A call
// costs only a read of /proc/loadavg when no process came or went; when a few pids were
// handed out since, only those are looked at (and the applications listed are checked to
// be still there); otherwise, and now and then to forget the processes that are gone, one
// directory listing plus the processes that are new.
class ProcRunningApplications {
public:
    explicit ProcRunningApplications(const ApplicationIdentity& identity, std::string procRoot = "/proc");
    ~ProcRunningApplications();
    ProcRunningApplications(const ProcRunningApplications&) = delete;
    ProcRunningApplications& operator=(const ProcRunningApplications&) = delete;

    // Empty when /proc cannot be listed.
    std::vector<RunningApplication> list();

    // The program a process runs: the base name of its argv[0], else its comm name; empty
    // when the process is gone or is a kernel thread.
    static std::string executableOf(const std::string& procRoot, int pid);

    // What tells a process's login session apart: the logind session (from the environment
    // or the session's cgroup) and the displays it was started on. Empty fields are unknown.
    struct SessionMarks {
        std::string sessionId;
        std::string display;
        std::string waylandDisplay;
    };
    static SessionMarks sessionMarksOf(const std::string& procRoot, int pid);
    // Whether a process with `theirs` belongs to the session with `ours`: a shared display
    // or session says yes, a different one (with none shared) says no, and a process that
    // names neither (a daemon of the user's) counts as the session's.
    static bool sameSession(const SessionMarks& ours, const SessionMarks& theirs);

private:
    std::optional<RunningApplication> resolve(int pid) const;
    struct ProcessCounter {
        long long tasks{0};
        long long lastPid{0};
        bool operator==(const ProcessCounter&) const = default;
    };
    // The task count and last pid of /proc/loadavg; nothing when they cannot be read.
    std::optional<ProcessCounter> readCounter();
    // Positions the kept directory handle at the start of the listing, opening it if needed.
    bool rewindListing();
    // Brings the last listing up to date from the pids handed out between two counters;
    // false when that cannot be done that way (too many, the pids wrapped, no pidfd).
    bool followNewPids(const ProcessCounter& from, const ProcessCounter& to);
    std::vector<RunningApplication> fullListing();

    const ApplicationIdentity& identity_;
    std::string procRoot_;
    int selfPid_;
    unsigned selfUid_;
    SessionMarks selfMarks_;
    struct Entry {
        std::optional<RunningApplication> app;
        std::uint64_t generation{0};
    };
    std::unordered_map<int, Entry> cache_;
    std::uint64_t generation_{0};
    int dirFd_{-1};
    int loadavgFd_{-1};
    std::optional<ProcessCounter> lastCounter_;
    std::vector<RunningApplication> lastListing_;
    std::vector<char> buffer_;
    int updatesSinceListing_{0};
};

} // namespace plovane
