#include "platform/linux/ApplicationIdentity.h"

#include "platform/linux/DesktopEntries.h"

#include <algorithm>
#include <cctype>

namespace plovane {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

template <typename Field>
const KnownApplication* findKnown(std::string_view value, Field field, bool ignoreCase)
{
    if (value.empty())
        return nullptr;
    for (const auto& app : knownApplications())
        for (auto candidate : app.*field)
            if (ignoreCase ? sameIgnoringCase(candidate, value) : candidate == value)
                return &app;
    return nullptr;
}

} // namespace

ApplicationIdentity::ApplicationIdentity(std::shared_ptr<const DesktopEntries> entries) : entries_(std::move(entries)) {}

ApplicationInfo ApplicationIdentity::fromKnown(const KnownApplication& app, std::string_view wmClass) const
{
    const DesktopEntry* entry = nullptr;
    for (auto id : app.desktopIds)
        if ((entry = entries_->byId(id)))
            break;
    if (!entry && !wmClass.empty())
        entry = entries_->byStartupWMClass(wmClass);
    ApplicationInfo info{std::string(app.bundleID), std::string(app.name), {}};
    if (entry) {
        if (!entry->name.empty())
            info.name = entry->name;
        info.icon = entry->icon;
    }
    return info;
}

ApplicationInfo ApplicationIdentity::forWindow(std::string_view wmInstance, std::string_view wmClass,
                                               std::string_view executable) const
{
    if (auto known = findKnown(wmClass, &KnownApplication::wmClasses, true))
        return fromKnown(*known, wmClass);
    if (auto known = findKnown(wmInstance, &KnownApplication::wmClasses, true))
        return fromKnown(*known, wmClass);

    const DesktopEntry* entry = nullptr;
    for (auto candidate : {wmClass, wmInstance})
        if (!entry && !candidate.empty())
            entry = entries_->byStartupWMClass(candidate);
    for (auto candidate : {wmClass, wmInstance})
        if (!entry && !candidate.empty())
            entry = entries_->byId(candidate);
    if (entry) {
        if (auto known = findKnown(entry->id, &KnownApplication::desktopIds, true))
            return fromKnown(*known, wmClass);
        return ApplicationInfo{entry->id, entry->name, entry->icon};
    }

    if (auto process = forProcess(executable))
        return *process;
    return ApplicationInfo{{}, std::string(wmClass.empty() ? wmInstance : wmClass), {}};
}

std::optional<ApplicationInfo> ApplicationIdentity::forProcess(std::string_view executable) const
{
    if (executable.empty())
        return std::nullopt;
    if (auto known = findKnown(executable, &KnownApplication::executables, false))
        return fromKnown(*known, {});
    if (auto entry = entries_->byExecutable(executable)) {
        if (auto known = findKnown(entry->id, &KnownApplication::desktopIds, true))
            return fromKnown(*known, {});
        return ApplicationInfo{entry->id, entry->name, entry->icon};
    }
    return std::nullopt;
}

std::optional<ApplicationInfo> ApplicationIdentity::forBundleID(std::string_view bundleID) const
{
    if (bundleID.empty())
        return std::nullopt;
    for (const auto& app : knownApplications())
        if (app.bundleID == bundleID)
            return fromKnown(app, {});
    if (auto entry = entries_->byId(bundleID))
        return ApplicationInfo{entry->id, entry->name, entry->icon};
    return std::nullopt;
}

} // namespace plovane
