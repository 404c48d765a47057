#include "sensing/ActiveAppMonitor.h"

#include "platform/Workspace.h"

namespace plovane {

namespace {

std::string nameOf(const std::optional<RunningApplication>& app)
{
    return app && !app->localizedName.empty() ? app->localizedName : kUnknownAppName;
}

std::string bundleIDOf(const std::optional<RunningApplication>& app)
{
    return app && !app->bundleID.empty() ? app->bundleID : kUnknownBundleID;
}

} // namespace

ActiveAppSnapshot ActiveAppMonitor::frontmostAppSnapshot()
{
    // One workspace read feeds all three fields, so they always describe the same app.
    const auto app = workspace_.frontmostApplication();
    return ActiveAppSnapshot{nameOf(app), bundleIDOf(app), app ? app->icon : std::string{}};
}

std::string ActiveAppMonitor::frontmostAppName()
{
    return nameOf(workspace_.frontmostApplication());
}

std::string ActiveAppMonitor::frontmostBundleID()
{
    return bundleIDOf(workspace_.frontmostApplication());
}

} // namespace plovane
