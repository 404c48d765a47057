#include "sensing/EditorCPUSampler.h"

#include "platform/ProcessTable.h"
#include "platform/Workspace.h"
#include "sensing/TextUtil.h"

#include <algorithm>
#include <unordered_set>

namespace plovane {

EditorCPUSampler::EditorCPUSampler(Workspace& workspace, ProcessTable& processes,
                                   const std::vector<std::string>& keywords, double alpha, const Clock& clock)
    : workspace_(workspace), processes_(processes), alpha_(alpha), lastSampleDate_(clock.now())
{
    keywords_.reserve(keywords.size());
    for (const auto& k : keywords)
        keywords_.push_back(asciiLower(k));
}

bool EditorCPUSampler::matches(const std::string& name, const std::string& bundleID) const
{
    const std::string lowerName = asciiLower(name);
    const std::string lowerID = asciiLower(bundleID);
    return std::any_of(keywords_.begin(), keywords_.end(), [&](const std::string& k) {
        return lowerName.find(k) != std::string::npos || lowerID.find(k) != std::string::npos;
    });
}

double EditorCPUSampler::sampleCPU(TimePoint now)
{
    const double dt = secondsBetween(lastSampleDate_, now);
    if (dt <= 0)
        return ewmaCPU_;
    lastSampleDate_ = now;

    std::unordered_set<int> seen;
    double sum = 0;
    for (const auto& app : workspace_.runningApplications()) {
        if (!matches(app.localizedName, app.bundleID))
            continue;
        seen.insert(app.pid);
        const auto total = processes_.cpuTimeNanoseconds(app.pid);
        if (!total)
            continue; // keeps its previous total
        auto previous = lastTotalsByPID_.find(app.pid);
        // A smaller total is a new process that reused the pid: it adds nothing yet.
        if (previous != lastTotalsByPID_.end() && *total >= previous->second)
            sum += static_cast<double>(*total - previous->second) / (dt * 1e9) * 100.0;
        lastTotalsByPID_[app.pid] = *total;
    }
    std::erase_if(lastTotalsByPID_, [&](const auto& entry) { return !seen.contains(entry.first); });

    ewmaCPU_ = alpha_ * sum + (1 - alpha_) * ewmaCPU_;
    return ewmaCPU_;
}

} // namespace plovane
