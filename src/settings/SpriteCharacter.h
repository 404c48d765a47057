#pragma once

#include "settings/RawValue.h"

#include <string>
#include <string_view>

namespace plovane {

// The built-in characters, in the order the character menu lists them.
enum class SpriteCharacter {
    tuffin,
    corgi,
};

template <>
struct RawValues<SpriteCharacter> {
    static constexpr std::array<std::string_view, 2> texts{"tuffin", "corgi"};
};

// The name shown to the user; the same in both languages.
std::string_view displayName(SpriteCharacter character);

// Paths relative to the resource base: "Assets/HUD/Sprites/<raw>/sprite_<state>_32.png"
// and, for animation frame n (from 1), "…/sprite_<state>_32_<n>.png".
std::string spritePath(SpriteCharacter character, std::string_view state);
std::string spriteFramePath(SpriteCharacter character, std::string_view state, int frame);

// Length of the unbroken run of animation frames 1, 2, 3 … shipped for `state`.
int frameCount(SpriteCharacter character, std::string_view state);

} // namespace plovane
