#include "settings/FontRegistrar.h"

#include "platform/FontManager.h"
#include "platform/Paths.h"

#include <filesystem>

namespace plovane::FontRegistrar {
namespace {

constexpr const char* kFontFile = "PressStart2P-Regular.ttf";

bool isFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

std::vector<std::string> candidatePaths()
{
    std::vector<std::string> candidates;
    if (auto installed = paths::programDataDir()) {
        const std::string bundled = *installed + "/Resources/Fonts/" + kFontFile;
        if (isFile(bundled))
            candidates.push_back(bundled);
    }
    candidates.push_back(paths::currentDirectory() + "/TessivarNative/Resources/Fonts/" + kFontFile);
    return candidates;
}

void registerEmbeddedFonts(FontManager& fonts)
{
    for (const auto& path : candidatePaths())
        if (isFile(path))
            fonts.registerFontFile(path);
}

} // namespace plovane::FontRegistrar
