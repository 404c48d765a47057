#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
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

std::optional<std::string> installedDataDir()
{
    // The executable does not move while it runs, so this is worked out once.
    static const std::optional<std::string> dir = []() -> std::optional<std::string> {
        std::error_code ec;
        auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return std::nullopt;
        auto binDir = exe.parent_path();
        if (binDir.filename() != "bin")
            return std::nullopt;
        auto data = binDir.parent_path() / "share" / "plovane";
        if (!std::filesystem::is_directory(data, ec))
            return std::nullopt;
        return data.string();
    }();
    return dir;
}

} // namespace plovane::paths
