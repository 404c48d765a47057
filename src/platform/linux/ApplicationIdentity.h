#pragma once

#include "platform/KnownApplication.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovane {

class DesktopEntries;

// Every application the activity sets or the IDE surface rules name that ships for Linux,
// the known terminals among them.
const std::vector<KnownApplication>& knownApplications();

struct ApplicationInfo {
    std::string bundleID; // empty when nothing identifies the application
    std::string name;
    std::string icon; // theme icon name or absolute path; empty when none
};

// Turns what the desktop says about a window or process into an application identity:
// a known application's identifier, else the id of its desktop entry.
class ApplicationIdentity {
public:
    explicit ApplicationIdentity(std::shared_ptr<const DesktopEntries> entries);

    // A window by its WM_CLASS (instance, class) and its process's executable name. When
    // nothing matches: no identifier and the window's class as name.
    ApplicationInfo forWindow(std::string_view wmInstance, std::string_view wmClass,
                              std::string_view executable) const;
    // A process by its executable name; nothing when it is not an application.
    std::optional<ApplicationInfo> forProcess(std::string_view executable) const;
    // An application by the identifier it was reported under (for its name and icon);
    // nothing when neither a known application nor a desktop entry has that identifier.
    std::optional<ApplicationInfo> forBundleID(std::string_view bundleID) const;

private:
    ApplicationInfo fromKnown(const KnownApplication& app, std::string_view wmClass) const;

    std::shared_ptr<const DesktopEntries> entries_;
};

} // namespace plovane
