#include "settings/CharacterID.h"

#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"
#include "settings/SpriteNames.h"

#include <filesystem>

namespace plovane {
namespace {

constexpr std::string_view customPrefix = "custom:";

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string customFolder(const std::string& dirName)
{
    return AppResource::customSpritesBase() + "/" + dirName + "/";
}

} // namespace

CharacterID CharacterID::from(std::string_view raw)
{
    if (raw.starts_with(customPrefix))
        return custom(std::string(raw.substr(customPrefix.size())));
    return builtIn(fromRaw<SpriteCharacter>(raw).value_or(SpriteCharacter::tuffin));
}

std::string CharacterID::rawValue() const
{
    if (const auto* dir = std::get_if<std::string>(&value_))
        return std::string(customPrefix) + *dir;
    return std::string(plovane::rawValue(std::get<SpriteCharacter>(value_)));
}

std::optional<SpriteCharacter> CharacterID::builtInCharacter() const
{
    if (const auto* c = std::get_if<SpriteCharacter>(&value_))
        return *c;
    return std::nullopt;
}

const std::string& CharacterID::customDirName() const
{
    static const std::string none;
    const auto* dir = std::get_if<std::string>(&value_);
    return dir ? *dir : none;
}

std::string CharacterID::displayName() const
{
    if (const auto c = builtInCharacter())
        return std::string(plovane::displayName(*c));
    for (const auto& character : CustomCharacter::loadAll())
        if (character.dirName() == customDirName())
            return character.displayName();
    return customDirName();
}

std::string CharacterID::spritePath(std::string_view state) const
{
    if (const auto c = builtInCharacter())
        return plovane::spritePath(*c, state);
    return customFolder(customDirName()) + stillSpriteFileName(state);
}

std::string CharacterID::spriteFramePath(std::string_view state, int frame) const
{
    if (const auto c = builtInCharacter())
        return plovane::spriteFramePath(*c, state, frame);
    return customFolder(customDirName()) + frameSpriteFileName(state, frame);
}

bool CharacterID::spriteExists(const std::string& path) const
{
    return isCustom() ? fileExists(path) : AppResource::exists(path);
}

int CharacterID::frameCount(std::string_view state) const
{
    return countFrames([&](int frame) { return spriteExists(spriteFramePath(state, frame)); });
}

} // namespace plovane
