#pragma once

#include "SpriteMap.h"

#include <string>
#include <utility>
#include <vector>

namespace plovane::spritegen {

struct Look {
    std::string key; // the sprite state, e.g. "deep_dive"
    Sprite sprite;
};

struct CharacterArt {
    std::string name;
    std::vector<Look> looks; // sorted by key
};

// Loads an art folder: <artDir>/palette.txt holds the colours every character shares,
// each sub-folder is one character with its own palette.txt and one <key>.txt pixel map
// per look. Characters come sorted by name. Throws std::runtime_error on the first fault.
std::vector<CharacterArt> loadArt(const std::string& artDir);

struct SpriteFile {
    std::string name;
    Image image;
};

// The files of one look: "sprite_<key>_32.png" for the still and
// "sprite_<key>_32_<n>.png" for frame n.
std::vector<SpriteFile> spriteFiles(const Look& look);

// Writes every file of a character to <outDir>/<name>/ and removes sprite PNGs there that
// no map produces any more, so a dropped frame cannot linger and still be animated.
void writeCharacter(const CharacterArt& character, const std::string& outDir);

// All sprites on one opaque sheet, one row per inner list, enlarged `scale` times.
Image contactSheet(const std::vector<std::vector<Image>>& rows, int scale);

} // namespace plovane::spritegen
