#pragma once

#include "platform/ProcessTable.h"

#include <string>

namespace plovane {

// CPU time from /proc/<pid>/stat: user plus system clock ticks, in nanoseconds.
class ProcStatProcessTable final : public ProcessTable {
public:
    explicit ProcStatProcessTable(std::string procRoot = "/proc");
    std::optional<std::uint64_t> cpuTimeNanoseconds(int pid) override;

    // Parses the text of a stat file; nothing when it is malformed.
    static std::optional<std::uint64_t> parseStat(std::string_view stat, long ticksPerSecond);

private:
    std::string procRoot_;
    long ticksPerSecond_;
};

} // namespace plovane
