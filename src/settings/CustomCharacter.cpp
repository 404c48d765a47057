#include "settings/CustomCharacter.h"

#include "settings/AppResource.h"
#include "settings/SpriteNames.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace plovane {
namespace {

// A manifest holds one short name. Anything far larger is not a manifest, and reading it
// would stall every menu that lists the characters.
constexpr std::uintmax_t kMaxManifestBytes = 64 * 1024;

// The manifest's "name" when the file is a JSON object with a string there; else nothing.
std::optional<std::string> manifestName(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxManifestBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const auto json = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object())
        return std::nullopt;
    const auto name = json.find("name");
    if (name == json.end() || !name->is_string())
        return std::nullopt;
    return name->get<std::string>();
}

} // namespace

bool CustomCharacter::isValid() const
{
    std::error_code ec;
    for (const auto state : kRequiredSpriteStates)
        if (!std::filesystem::exists(absoluteSpritePath(std::string(state)), ec))
            return false;
    return true;
}

std::string CustomCharacter::absoluteSpritePath(const std::string& state) const
{
    return AppResource::customSpritesBase() + "/" + dirName_ + "/" + stillSpriteFileName(state);
}

std::vector<CustomCharacter> CustomCharacter::loadAll()
{
    const std::string base = AppResource::customSpritesBase();
    std::vector<CustomCharacter> characters;
    for (auto& dir : AppResource::customCharacterDirs()) {
        auto name = manifestName(base + "/" + dir + "/manifest.json");
        CustomCharacter character(dir, name ? std::move(*name) : dir);
        if (character.isValid())
            characters.push_back(std::move(character));
    }
    return characters;
}

} // namespace plovane
