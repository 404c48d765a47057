#include "settings/SpriteCharacter.h"

#include "settings/AppResource.h"
#include "settings/SpriteNames.h"

namespace plovane {
namespace {

std::string characterFolder(SpriteCharacter character)
{
    return "Assets/HUD/Sprites/" + std::string(rawValue(character)) + "/";
}

} // namespace

std::string_view displayName(SpriteCharacter character)
{
    switch (character) {
    case SpriteCharacter::tuffin:
        return "Tuffin";
    case SpriteCharacter::corgi:
        return "Corgi";
    }
    return "Tuffin";
}

std::string spritePath(SpriteCharacter character, std::string_view state)
{
    return characterFolder(character) + stillSpriteFileName(state);
}

std::string spriteFramePath(SpriteCharacter character, std::string_view state, int frame)
{
    return characterFolder(character) + frameSpriteFileName(state, frame);
}

int frameCount(SpriteCharacter character, std::string_view state)
{
    return countFrames([&](int frame) { return AppResource::exists(spriteFramePath(character, state, frame)); });
}

} // namespace plovane
