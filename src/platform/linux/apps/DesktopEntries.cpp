#include "platform/linux/apps/DesktopEntries.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

namespace plovane {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool isFieldCode(std::string_view word)
{
    return word.size() == 2 && word[0] == '%' && std::string_view("fFuUickdDnNvm").find(word[1]) != std::string_view::npos;
}

std::vector<std::string> splitExec(std::string_view exec)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (char c : exec) {
        if (c == '"') {
            quoted = !quoted;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (!word.empty())
                words.push_back(std::exchange(word, {}));
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

struct Command {
    std::string executable;
    bool plain{true}; // nothing passed but the file and URL field codes
};

// The program an Exec line runs: its first word without quotes or a path, skipping an
// "env VAR=..." prefix. For flatpak's launcher, the program given by --command, and only
// what follows the application id counts as passed to it.
Command commandOf(std::string_view exec)
{
    const auto words = splitExec(exec);
    std::size_t i = 0;
    if (i < words.size() && fs::path(words[i]).filename() == "env") {
        ++i;
        while (i < words.size() && words[i].find('=') != std::string::npos)
            ++i;
    }
    if (i >= words.size())
        return {};
    Command command{fs::path(words[i]).filename().string()};
    ++i;
    if (command.executable == "flatpak" && i < words.size() && words[i] == "run") {
        for (++i; i < words.size() && words[i].starts_with("-"); ++i)
            if (words[i].starts_with("--command="))
                command.executable = fs::path(words[i].substr(10)).filename().string();
        ++i; // the application id
    }
    for (; i < words.size(); ++i)
        if (!isFieldCode(words[i]) && words[i] != "--" && words[i] != "@@" && words[i] != "@@u" && words[i] != "@@f")
            command.plain = false;
    return command;
}

} // namespace

bool parseDesktopEntry(std::string_view text, const std::vector<std::string>& languages, DesktopEntry& entry)
{
    bool inMain = false;
    bool sawMain = false;
    std::string type;
    std::string exec;
    std::string tryExec;
    std::string plainName;
    std::size_t bestRank = languages.size(); // index into `languages` of the name taken
    bool hidden = false;

    std::istringstream lines{std::string(text)};
    std::string raw;
    while (std::getline(lines, raw)) {
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMain = line == "[Desktop Entry]";
            sawMain = sawMain || inMain;
            continue;
        }
        if (!inMain)
            continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = trim(line.substr(0, eq));
        const std::string value{trim(line.substr(eq + 1))};
        if (key == "Type") {
            type = value;
        } else if (key == "Name") {
            plainName = value;
        } else if (key.starts_with("Name[") && key.ends_with("]")) {
            const std::string_view locale = key.substr(5, key.size() - 6);
            for (std::size_t r = 0; r < bestRank; ++r) {
                if (languages[r] == locale) {
                    entry.name = value;
                    bestRank = r;
                    break;
                }
            }
        } else if (key == "Icon") {
            entry.icon = value;
        } else if (key == "StartupWMClass") {
            entry.startupWMClass = value;
        } else if (key == "Exec") {
            exec = value;
        } else if (key == "TryExec") {
            tryExec = value;
        } else if (key == "Hidden") {
            hidden = value == "true";
        } else if (key == "NoDisplay") {
            entry.shown = value != "true";
        }
    }
    if (!sawMain || hidden || (!type.empty() && type != "Application"))
        return false;
    if (bestRank == languages.size())
        entry.name = plainName;
    const Command command = commandOf(exec);
    entry.executable = command.executable;
    entry.plainExec = command.plain;
    if (entry.executable.empty() || entry.executable == "flatpak")
        entry.executable = commandOf(tryExec).executable;
    return true;
}

std::vector<std::string> preferredLanguages()
{
    std::vector<std::string> out;
    auto add = [&out](std::string locale) {
        if (locale.empty() || locale == "C" || locale == "POSIX" || std::find(out.begin(), out.end(), locale) != out.end())
            return;
        out.push_back(std::move(locale));
    };
    auto addLocale = [&add](std::string_view locale) {
        locale = locale.substr(0, locale.find('.'));
        locale = locale.substr(0, locale.find('@'));
        add(std::string(locale));
        add(std::string(locale.substr(0, locale.find('_'))));
    };
    if (const char* language = std::getenv("LANGUAGE"); language && *language) {
        std::string_view list{language};
        while (!list.empty()) {
            const auto colon = list.find(':');
            addLocale(list.substr(0, colon));
            list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
        }
    }
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(var); value && *value) {
            addLocale(value);
            break;
        }
    }
    return out;
}

DesktopEntries::DesktopEntries(const std::vector<std::string>& dataDirs, std::vector<std::string> languages)
{
    for (const auto& dir : dataDirs)
        scan(dir + "/applications", "", languages);
}

void DesktopEntries::scan(const std::string& applicationsDir, const std::string& prefix,
                          const std::vector<std::string>& languages)
{
    std::error_code ec;
    fs::directory_iterator it(applicationsDir, ec);
    if (ec)
        return;
    std::vector<fs::directory_entry> children(fs::begin(it), fs::end(it));
    std::sort(children.begin(), children.end());
    for (const auto& child : children) {
        const auto name = child.path().filename().string();
        if (child.is_directory(ec)) {
            // Desktop-file ids of subfolders join the folder names with dashes.
            scan(child.path().string(), prefix + name + "-", languages);
            continue;
        }
        if (!name.ends_with(".desktop"))
            continue;
        std::string id = prefix + name.substr(0, name.size() - 8);
        if (byId_.contains(lower(id)))
            continue; // hidden by an earlier folder
        std::ifstream in(child.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        DesktopEntry entry;
        if (!parseDesktopEntry(text.str(), languages, entry)) {
            byId_.emplace(lower(id), static_cast<std::size_t>(-1)); // still hides later copies
            continue;
        }
        entry.id = std::move(id);
        const std::size_t index = entries_.size();
        byId_.emplace(lower(entry.id), index);
        if (!entry.startupWMClass.empty())
            byWMClass_[lower(entry.startupWMClass)].push_back(index);
        if (const auto dot = entry.id.rfind('.'); dot != std::string::npos && dot + 1 < entry.id.size())
            byLastIdPart_[lower(std::string_view(entry.id).substr(dot + 1))].push_back(index);
        if (!entry.executable.empty())
            byExec_[entry.executable].push_back(index);
        entries_.push_back(std::move(entry));
    }
}

const DesktopEntry* DesktopEntries::byId(std::string_view id) const
{
    auto it = byId_.find(lower(id));
    if (it == byId_.end() || it->second >= entries_.size())
        return nullptr;
    return &entries_[it->second];
}

const DesktopEntry* DesktopEntries::best(const Candidates& map, const std::string& key) const
{
    auto it = map.find(key);
    if (it == map.end())
        return nullptr;
    const DesktopEntry* chosen = nullptr;
    int chosenRank = -1;
    for (std::size_t index : it->second) {
        const DesktopEntry& entry = entries_[index];
        const int rank = (entry.shown ? 2 : 0) + (entry.plainExec ? 1 : 0);
        if (rank > chosenRank) {
            chosen = &entry;
            chosenRank = rank;
        }
    }
    return chosen;
}

const DesktopEntry* DesktopEntries::byStartupWMClass(std::string_view wmClass) const
{
    return best(byWMClass_, lower(wmClass));
}

const DesktopEntry* DesktopEntries::byLastIdPart(std::string_view name) const
{
    return best(byLastIdPart_, lower(name));
}

const DesktopEntry* DesktopEntries::byExecutable(std::string_view executable) const
{
    return best(byExec_, std::string(executable));
}

} // namespace plovane
