#include "platform/qt/IconLookup.h"

#include "platform/Paths.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace plovane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtensions[] = {".png", ".svg", ".xpm"};
constexpr std::size_t kMaxIndexBytes = 1 << 20;
constexpr int kMaxInheritDepth = 8;

bool isFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::vector<std::string> splitList(std::string_view list)
{
    std::vector<std::string> out;
    while (!list.empty()) {
        const auto comma = list.find(',');
        auto item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (!item.empty())
            out.emplace_back(item);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    return out;
}

int toInt(const std::string& text, int fallback)
{
    try {
        return std::stoi(text);
    } catch (...) {
        return fallback;
    }
}

} // namespace

struct IconLookup::Theme {
    enum class Type { fixed, scalable, threshold };
    struct Dir {
        std::vector<std::string> paths; // the folder below each theme root that has it
        Type type{Type::threshold};
        int size{0};
        int minSize{0};
        int maxSize{0};
        int threshold{2};

        bool matches(int want) const
        {
            switch (type) {
            case Type::fixed:
                return want == size;
            case Type::scalable:
                return minSize <= want && want <= maxSize;
            case Type::threshold:
                return size - threshold <= want && want <= size + threshold;
            }
            return false;
        }
        int distance(int want) const
        {
            const int low = type == Type::scalable ? minSize : type == Type::threshold ? size - threshold : size;
            const int high = type == Type::scalable ? maxSize : type == Type::threshold ? size + threshold : size;
            return want < low ? low - want : want > high ? want - high : 0;
        }
    };
    std::vector<Dir> dirs; // in the order the theme lists them
    std::vector<std::string> inherits;
};

IconLookup::IconLookup(std::vector<std::string> themeRoots, std::vector<std::string> pixmapDirs,
                       std::vector<std::string> themes)
    : themeRoots_(std::move(themeRoots)), pixmapDirs_(std::move(pixmapDirs)), themes_(std::move(themes))
{
}

IconLookup IconLookup::forDesktop(std::vector<std::string> themes)
{
    std::vector<std::string> roots{paths::home() + "/.icons"};
    std::vector<std::string> pixmaps;
    for (const auto& dir : paths::dataDirs()) {
        roots.push_back(dir + "/icons");
        pixmaps.push_back(dir + "/pixmaps");
    }
    if (std::find(pixmaps.begin(), pixmaps.end(), "/usr/share/pixmaps") == pixmaps.end())
        pixmaps.emplace_back("/usr/share/pixmaps");
    return IconLookup(std::move(roots), std::move(pixmaps), std::move(themes));
}

// Themes are read once per process and set of roots: their index files are large
// (hicolor lists some 650 folders) and do not change while a session runs.
const IconLookup::Theme* IconLookup::theme(const std::string& name) const
{
    static std::map<std::string, std::unique_ptr<Theme>> cache;
    std::string key = name;
    for (const auto& root : themeRoots_)
        key += '\n' + root;
    if (auto it = cache.find(key); it != cache.end())
        return it->second.get();

    std::unique_ptr<Theme> theme;
    for (const auto& root : themeRoots_) {
        const std::string index = root + "/" + name + "/index.theme";
        std::error_code ec;
        if (!fs::is_regular_file(index, ec) || fs::file_size(index, ec) > kMaxIndexBytes)
            continue;
        std::ifstream in(index);
        std::map<std::string, std::map<std::string, std::string>> groups;
        std::string line;
        std::string group;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty() || line.front() == '#')
                continue;
            if (line.front() == '[' && line.back() == ']') {
                group = line.substr(1, line.size() - 2);
                continue;
            }
            const auto eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            std::string k = line.substr(0, eq);
            while (!k.empty() && k.back() == ' ')
                k.pop_back();
            std::string v = line.substr(eq + 1);
            while (!v.empty() && v.front() == ' ')
                v.erase(v.begin());
            groups[group][k] = v;
        }
        // The theme's folder under each root that has one; its subfolders are looked for there only.
        std::vector<std::string> themeDirs;
        for (const auto& r : themeRoots_)
            if (fs::is_directory(r + "/" + name, ec))
                themeDirs.push_back(r + "/" + name + "/");
        auto& header = groups["Icon Theme"];
        theme = std::make_unique<Theme>();
        theme->inherits = splitList(header["Inherits"]);
        for (const auto& dirName : splitList(header["Directories"])) {
            auto& g = groups[dirName];
            Theme::Dir dir;
            const int scale = std::max(1, toInt(g["Scale"], 1));
            dir.size = toInt(g["Size"], 0) * scale;
            if (dir.size <= 0)
                continue;
            dir.minSize = toInt(g["MinSize"], dir.size / scale) * scale;
            dir.maxSize = toInt(g["MaxSize"], dir.size / scale) * scale;
            dir.threshold = toInt(g["Threshold"], 2) * scale;
            const std::string& type = g["Type"];
            dir.type = type == "Fixed" ? Theme::Type::fixed : type == "Scalable" ? Theme::Type::scalable
                                                                                 : Theme::Type::threshold;
            for (const auto& themeDir : themeDirs)
                if (fs::is_directory(themeDir + dirName, ec))
                    dir.paths.push_back(themeDir + dirName);
            if (!dir.paths.empty())
                theme->dirs.push_back(std::move(dir));
        }
        break;
    }
    return cache.emplace(std::move(key), std::move(theme)).first->second.get();
}

std::string IconLookup::findInTheme(const Theme& theme, std::string_view name, int size) const
{
    for (const auto& dir : theme.dirs) {
        if (!dir.matches(size))
            continue;
        for (const auto& path : dir.paths)
            for (auto ext : kExtensions)
                if (std::string file = path + "/" + std::string(name) + std::string(ext); isFile(file))
                    return file;
    }
    std::string closest;
    int closestDistance = INT_MAX;
    for (const auto& dir : theme.dirs) {
        const int distance = dir.distance(size);
        if (distance >= closestDistance)
            continue;
        for (const auto& path : dir.paths)
            for (auto ext : kExtensions)
                if (std::string file = path + "/" + std::string(name) + std::string(ext);
                    distance < closestDistance && isFile(file)) {
                    closest = std::move(file);
                    closestDistance = distance;
                }
    }
    return closest;
}

std::string IconLookup::find(std::string_view icon, int size) const
{
    if (icon.empty())
        return {};
    if (icon.front() == '/')
        return std::string(icon);
    std::string name(icon);
    for (auto ext : kExtensions)
        if (name.size() > ext.size() && name.ends_with(ext))
            name.resize(name.size() - ext.size());
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return {};

    // Each theme with what it inherits (depth first, each theme once), then hicolor.
    std::set<std::string> seen;
    std::string found;
    auto search = [&](auto&& self, const std::string& themeName, int depth) -> bool {
        if (themeName.empty() || depth > kMaxInheritDepth || !seen.insert(themeName).second)
            return false;
        const Theme* t = theme(themeName);
        if (!t)
            return false;
        if (found = findInTheme(*t, name, size); !found.empty())
            return true;
        for (const auto& parent : t->inherits)
            if (self(self, parent, depth + 1))
                return true;
        return false;
    };
    for (const auto& t : themes_)
        if (search(search, t, 0))
            return found;
    if (search(search, "hicolor", 0))
        return found;

    for (const auto& dir : pixmapDirs_)
        for (auto ext : kExtensions)
            if (std::string file = dir + "/" + name + std::string(ext); isFile(file))
                return file;
    return {};
}

} // namespace plovane
