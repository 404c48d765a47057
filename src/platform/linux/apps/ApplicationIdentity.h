#pragma once

#include "platform/KnownApplication.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovane {

class DesktopEntries;
struct DesktopEntry;

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

    // A window by its WM_CLASS (instance, class) and its process's executable name, as a
    // desktop matches them: an entry's StartupWMClass, a known application's class, an
    // entry whose id is the class or ends in it ("mousepad" → "org.xfce.mousepad"), then
    // the program. When nothing matches: no identifier and the window's class as name.
    ApplicationInfo forWindow(std::string_view wmInstance, std::string_view wmClass,
                              std::string_view executable) const;
    // A Wayland window by its app_id (a desktop-file id such as "org.gnome.gedit", or a
    // class such as "kitty") and its process's executable name; the rules of forWindow.
    ApplicationInfo forAppId(std::string_view appId, std::string_view executable) const
    {
        return forWindow(appId, appId, executable);
    }
    // A process by its executable name; nothing when it is not an application. Of several
    // entries on one program, the application's own (see DesktopEntries).
    std::optional<ApplicationInfo> forProcess(std::string_view executable) const;
    // An application by the identifier it was reported under (for its name and icon);
    // nothing when neither a known application nor a desktop entry has that identifier.
    std::optional<ApplicationInfo> forBundleID(std::string_view bundleID) const;

private:
    ApplicationInfo fromKnown(const KnownApplication& app, std::string_view wmClass) const;
    ApplicationInfo fromEntry(const DesktopEntry& entry, std::string_view wmClass) const;

    std::shared_ptr<const DesktopEntries> entries_;
};

} // namespace plovane
