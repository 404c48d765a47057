#pragma once

#include "settings/CharacterID.h"
#include "settings/DiveState.h"

#include <filesystem>
#include <optional>
#include <string>

namespace plovane {

// The status icon shows the chosen character in the pose of the current state, cut from
// one sprite file. Everything that decides what it looks like goes into its key; the
// icon is drawn again only when the key changes.
struct StatusIconKey {
    DiveState state{DiveState::flow};
    std::string character;
    // Absolute path of the sprite file the icon is cut from.
    std::string spritePath;
    // Its modification time; nothing when it cannot be read.
    std::optional<std::filesystem::file_time_type> modified;

    bool operator==(const StatusIconKey&) const = default;
};

// The pose's sprite file: its second animation frame, else its first, else its still
// sprite (which need not exist); absolute.
std::string statusIconSpritePath(const CharacterID& character, DiveState state);
// `state` is the state to draw (critical while the engine asks for the large layout).
StatusIconKey statusIconKey(DiveState state, const CharacterID& character);

// The icon is 28 × 28 with its top 6 left empty; the square cut from the sprite fills the
// lower 28 × 22.
inline constexpr double kStatusIconSide = 28.0;
inline constexpr double kStatusIconTopGap = 6.0;

// The square cut from a sprite of w × h: 80 % of the shorter side, a little left of and
// above the middle. `x` and `y` are its lower-left corner, measured from the sprite's
// lower-left corner.
struct IconCrop {
    double x{0};
    double y{0};
    double side{0};
};
IconCrop statusIconCrop(double width, double height);

} // namespace plovane
