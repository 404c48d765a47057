#pragma once

#include <cstdint>
#include <optional>

namespace plovane {

// Per-process resource usage.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // User plus system CPU time the process has used, in nanoseconds; nothing when the
    // process is gone or may not be read.
    virtual std::optional<std::uint64_t> cpuTimeNanoseconds(int pid) = 0;
};

} // namespace plovane
