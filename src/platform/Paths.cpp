#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <pwd.h>
#include <unistd.h>

namespace plovane::paths {
namespace {

std::optional<std::string> absoluteEnv(const char* name)
{
    const char* v = std::getenv(name);
    if (v && v[0] == '/')
        return std::string(v);
    return std::nullopt;
}

} // namespace

std::string home()
{
    if (auto h = absoluteEnv("HOME"))
        return *h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string configHome()
{
    return absoluteEnv("XDG_CONFIG_HOME").value_or(home() + "/.config");
}

std::string dataHome()
{
    return absoluteEnv("XDG_DATA_HOME").value_or(home() + "/.local/share");
}

std::vector<std::string> dataDirs()
{
    std::vector<std::string> dirs{dataHome()};
    const char* env = std::getenv("XDG_DATA_DIRS");
    std::string_view list = env && *env ? env : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const auto colon = list.find(':');
        auto dir = list.substr(0, colon);
        if (!dir.empty() && dir.front() == '/')
            dirs.emplace_back(dir);
        list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
    }
    return dirs;
}

std::string settingsDir()
{
    return configHome() + "/plovane";
}

std::string currentDirectory()
{
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

namespace {

// Folders that go with the executable, whether they exist or not. The executable does
// not move while it runs, so this is worked out once.
const std::vector<std::string>& programDataCandidates()
{
    static const std::vector<std::string> candidates = [] {
        std::vector<std::string> dirs;
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return dirs;
        const auto exeDir = exe.parent_path();
        if (exeDir.filename() == "bin")
            dirs.push_back((exeDir.parent_path() / "share" / "plovane").string());
#if defined(PLOVANE_BUILD_PROGRAM_DIR) && defined(PLOVANE_SOURCE_DATA_DIR)
        // Run from the build tree, the program finds the data of the working copy it
        // was built from, not only when started from the copy's root.
        const auto buildDir = std::filesystem::weakly_canonical(PLOVANE_BUILD_PROGRAM_DIR, ec);
        if (!ec && exeDir == buildDir)
            dirs.push_back(PLOVANE_SOURCE_DATA_DIR);
#endif
        return dirs;
    }();
    return candidates;
}

} // namespace

std::optional<std::string> programDataDir()
{
    for (const auto& dir : programDataCandidates()) {
        std::error_code ec;
        if (std::filesystem::is_directory(dir, ec))
            return dir;
    }
    return std::nullopt;
}

std::vector<std::string> dataDirCandidates()
{
    auto dirs = programDataCandidates();
    dirs.push_back(currentDirectory() + "/TessivarNative");
    return dirs;
}

} // namespace plovane::paths
