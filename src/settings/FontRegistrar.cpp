#include "settings/FontRegistrar.h"

#include "platform/FontManager.h"
#include "platform/Paths.h"

#include <filesystem>

namespace plovane::FontRegistrar {
namespace {

constexpr const char* kFontFiles[] = {"PressStart2P-Regular.ttf", "PlovaneSansCJK-Regular.otf",
                                      "PlovaneSansCJK-Bold.otf"};

bool isFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

std::vector<std::string> candidatePaths(const std::string& name)
{
    std::vector<std::string> candidates;
    if (auto installed = paths::programDataDir()) {
        const std::string bundled = *installed + "/Resources/Fonts/" + name;
        if (isFile(bundled))
            candidates.push_back(bundled);
    }
    candidates.push_back(paths::currentDirectory() + "/TessivarNative/Resources/Fonts/" + name);
    return candidates;
}

void registerEmbeddedFonts(FontManager& fonts)
{
    for (const char* name : kFontFiles)
        for (const auto& path : candidatePaths(name))
            if (isFile(path))
                fonts.registerFontFile(path);
}

} // namespace plovane::FontRegistrar
