#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace plovane {

class ProcessTable;
class Workspace;

// Estimates how busy the user's editors and tools are: the summed CPU share of every
// running application whose name or identifier holds one of the keywords, smoothed by an
// exponentially weighted moving average. In percent of one core.
class EditorCPUSampler {
public:
    EditorCPUSampler(Workspace& workspace, ProcessTable& processes, const std::vector<std::string>& keywords,
                     double alpha = 0.35, const Clock& clock = SystemClock::instance());

    // Takes one sample and returns the smoothed load. A clock that has not moved forward
    // since the previous sample returns the previous average and changes nothing.
    double sampleCPU(TimePoint now);

private:
    bool matches(const std::string& name, const std::string& bundleID) const;

    Workspace& workspace_;
    ProcessTable& processes_;
    std::vector<std::string> keywords_;
    double alpha_;
    std::unordered_map<int, std::uint64_t> lastTotalsByPID_{};
    TimePoint lastSampleDate_;
    double ewmaCPU_{0};
};

} // namespace plovane
