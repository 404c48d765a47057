#include "status/StatusIconSource.h"

#include "hud/HUDRules.h"
#include "settings/AppResource.h"

#include <algorithm>
#include <system_error>

namespace plovane {

std::string statusIconSpritePath(const CharacterID& character, DiveState state)
{
    const std::string_view key = hud::floatingStateKey(state);
    std::string path = character.spriteFramePath(key, 2);
    if (!character.spriteExists(path)) {
        path = character.spriteFramePath(key, 1);
        if (!character.spriteExists(path))
            path = character.spritePath(key);
    }
    return character.isCustom() ? path : AppResource::path(path);
}

StatusIconKey statusIconKey(DiveState state, const CharacterID& character)
{
    StatusIconKey key{state, character.rawValue(), statusIconSpritePath(character, state), std::nullopt};
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(key.spritePath, error);
    if (!error)
        key.modified = modified;
    return key;
}

IconCrop statusIconCrop(double width, double height)
{
    const double side = 0.8 * std::min(width, height);
    return IconCrop{0.35 * (width - side), 0.52 * (height - side), side};
}

} // namespace plovane
