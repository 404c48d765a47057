#include "platform/linux/accessibility/AtspiFocusedApplicationSource.h"

#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/apps/ProcRunningApplications.h"

namespace plovane {

AtspiFocusedApplicationSource::AtspiFocusedApplicationSource(std::shared_ptr<AtspiAccessibilitySource> accessibility,
                                                             std::shared_ptr<const ApplicationIdentity> identity,
                                                             std::string procRoot)
    : accessibility_(std::move(accessibility)), identity_(std::move(identity)), procRoot_(std::move(procRoot))
{
}

std::optional<RunningApplication> AtspiFocusedApplicationSource::focusedApplication()
{
    const std::optional<int> pid = accessibility_->focusedApplicationPid();
    if (!pid)
        return std::nullopt;
    // The same process as last time, still running the same program: nothing to look up.
    std::string executable = ProcRunningApplications::executableOf(procRoot_, *pid);
    if (*pid == lastPid_ && executable == lastExecutable_)
        return lastApp_;
    lastPid_ = *pid;
    lastExecutable_ = executable;
    lastApp_.reset();
    if (auto info = identity_->forProcess(executable))
        lastApp_ = RunningApplication{info->bundleID, info->name, info->icon, *pid};
    else if (!executable.empty())
        lastApp_ = RunningApplication{{}, executable, {}, *pid};
    return lastApp_;
}

} // namespace plovane
