#include "settings/AppResource.h"

#include "platform/Paths.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace plovane::AppResource {
namespace {

bool itemExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace

std::string resourceBase()
{
    if (auto installed = paths::programDataDir())
        return *installed;
    return paths::currentDirectory() + "/TessivarNative";
}

std::string customSpritesBase()
{
    return paths::dataHome() + "/Plovane/Sprites";
}

std::string path(const std::string& relative)
{
    return resourceBase() + "/" + relative;
}

bool exists(const std::string& relative)
{
    return itemExists(path(relative));
}

std::vector<std::string> customCharacterDirs()
{
    const std::string base = customSpritesBase();
    std::vector<std::string> names;
    if (!itemExists(base))
        return names;
    std::error_code ec;
    fs::directory_iterator it(base, ec);
    if (ec)
        return names;
    for (const fs::directory_iterator end; it != end;) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(".") && itemExists(base + "/" + name + "/manifest.json"))
            names.push_back(name);
        it.increment(ec);
        if (ec)
            return {};
    }
    return names;
}

void ensureCustomSpritesDir()
{
    const std::string base = customSpritesBase();
    if (itemExists(base))
        return;
    std::error_code ec;
    fs::create_directories(base, ec);
}

} // namespace plovane::AppResource
