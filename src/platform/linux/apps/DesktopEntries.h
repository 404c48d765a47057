#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plovane {

// One application's desktop entry, reduced to what identifies and presents it.
struct DesktopEntry {
    std::string id;             // desktop-file id, e.g. "org.gnome.Terminal"
    std::string name;           // Name, localised for the user's language when available
    std::string icon;           // Icon: a theme icon name or an absolute path
    std::string startupWMClass; // StartupWMClass, as written
    std::string executable;     // base name of the program in Exec (or TryExec)
    bool shown{true};           // listed in menus: not NoDisplay
    bool plainExec{true};       // Exec passes the program nothing but file and URL field codes
};

// Parses one desktop file's text. Returns false for files that are not applications
// (another Type, Hidden, or no [Desktop Entry] group). `languages` lists the message
// locales to try, most preferred first ("zh_CN", "zh").
bool parseDesktopEntry(std::string_view text, const std::vector<std::string>& languages, DesktopEntry& entry);

// The user's message locales from LANGUAGE, LC_ALL, LC_MESSAGES and LANG, each with
// and without its country ("zh_CN.UTF-8" gives "zh_CN", "zh").
std::vector<std::string> preferredLanguages();

// The desktop entries of every XDG data folder (paths::dataDirs()), read once; a folder earlier in that order hides an entry of the same id later on.
class DesktopEntries {
public:
    // Reads "<dir>/applications" below each folder given, in order.
    explicit DesktopEntries(const std::vector<std::string>& dataDirs,
                            std::vector<std::string> languages = preferredLanguages());

    // Each lookup returns nothing (nullptr) when no entry matches. Class and id lookups
    // ignore letter case. Where several entries match, the one a menu would offer wins: a
    // shown entry whose Exec passes no options (the application itself, not its settings
    // dialog or a web-app launcher), then any shown entry, then the first in folder order.
    const DesktopEntry* byId(std::string_view id) const;
    const DesktopEntry* byStartupWMClass(std::string_view wmClass) const;
    // Entries with a reverse-DNS id whose last part is `name`: "mousepad" finds
    // "org.xfce.mousepad" but not "org.xfce.mousepad-settings".
    const DesktopEntry* byLastIdPart(std::string_view name) const;
    const DesktopEntry* byExecutable(std::string_view executable) const;

    std::size_t size() const { return entries_.size(); }

private:
    void scan(const std::string& applicationsDir, const std::string& prefix, const std::vector<std::string>& languages);

    using Candidates = std::unordered_map<std::string, std::vector<std::size_t>>;
    const DesktopEntry* best(const Candidates& map, const std::string& key) const;

    std::vector<DesktopEntry> entries_;
    std::unordered_map<std::string, std::size_t> byId_; // lower-cased id
    Candidates byWMClass_;                              // lower-cased StartupWMClass
    Candidates byLastIdPart_;                           // lower-cased last part of a reverse-DNS id
    Candidates byExec_;                                 // executable base name
};

} // namespace plovane
