#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace plovane {

// The sprite states every character provides, in the order they are checked.
inline constexpr std::array<std::string_view, 5> kRequiredSpriteStates{"deep_dive", "reading", "hovering",
                                                                       "resting", "critical"};

// File names inside one character's folder.
std::string stillSpriteFileName(std::string_view state);
std::string frameSpriteFileName(std::string_view state, int frame);

// Counts the unbroken run of frames 1, 2, 3 … for which `exists` holds.
int countFrames(const std::function<bool(int frame)>& exists);

} // namespace plovane
