#pragma once

#include "platform/Workspace.h"
#include "platform/linux/ApplicationIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace plovane {

// The running applications from a scan of /proc: every process whose program maps to an
// application identity. Each pid is resolved once and remembered while it lives, so a
// call costs one directory listing plus the processes that are new since the last one.
class ProcRunningApplications {
public:
    explicit ProcRunningApplications(const ApplicationIdentity& identity, std::string procRoot = "/proc");

    // Empty when /proc cannot be listed.
    std::vector<RunningApplication> list();

    // The program a process runs: the base name of its argv[0], else its comm name; empty
    // when the process is gone or is a kernel thread.
    static std::string executableOf(const std::string& procRoot, int pid);

private:
    std::optional<RunningApplication> resolve(int pid) const;

    const ApplicationIdentity& identity_;
    std::string procRoot_;
    int selfPid_;
    struct Entry {
        std::optional<RunningApplication> app;
        std::uint64_t generation{0};
    };
    std::unordered_map<int, Entry> cache_;
    std::uint64_t generation_{0};
};

} // namespace plovane
