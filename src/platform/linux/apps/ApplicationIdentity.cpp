#include "platform/linux/apps/ApplicationIdentity.h"

#include "platform/linux/apps/DesktopEntries.h"

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

ApplicationInfo ApplicationIdentity::fromEntry(const DesktopEntry& entry, std::string_view wmClass) const
{
    if (auto known = findKnown(entry.id, &KnownApplication::desktopIds, true))
        return fromKnown(*known, wmClass);
    if (auto known = findKnown(entry.startupWMClass, &KnownApplication::wmClasses, true))
        return fromKnown(*known, wmClass);
    return ApplicationInfo{entry.id, entry.name, entry.icon};
}

ApplicationInfo ApplicationIdentity::forWindow(std::string_view wmInstance, std::string_view wmClass,
                                               std::string_view executable) const
{
    // The order a desktop's task list uses. An entry's StartupWMClass comes first, matched
    // against the instance before the class: a browser's web-app windows share the
    // browser's class and differ only in the instance their launcher names.
    for (auto candidate : {wmInstance, wmClass})
        if (!candidate.empty())
            if (auto entry = entries_->byStartupWMClass(candidate))
                return fromEntry(*entry, wmClass);
    for (auto candidate : {wmClass, wmInstance})
        if (auto known = findKnown(candidate, &KnownApplication::wmClasses, true))
            return fromKnown(*known, wmClass);
    // Then the entry named after the class, or whose reverse-DNS id ends in it.
    for (auto candidate : {wmInstance, wmClass})
        if (!candidate.empty())
            if (auto entry = entries_->byId(candidate))
                return fromEntry(*entry, wmClass);
    for (auto candidate : {wmInstance, wmClass})
        if (!candidate.empty())
            if (auto entry = entries_->byLastIdPart(candidate))
                return fromEntry(*entry, wmClass);

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
    if (auto entry = entries_->byExecutable(executable))
        return fromEntry(*entry, {});
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
