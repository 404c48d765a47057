#pragma once

#include "Image.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace plovane::spritegen {

inline constexpr int kSpriteSize = 32;

// Single-character pixel names and their colours. '.' is always transparent and '~'
// (keep the pixel underneath) only means something in frame overlays.
using Palette = std::map<char, Rgba>;

// Adds the entries of a palette text to `palette`: one "<char> rrggbb[aa]" per line,
// '#' starts a comment. A character defined twice is an error, so a character palette
// cannot silently repaint a shared colour.
void readPalette(std::string_view text, const std::string& sourceName, Palette& palette);

// One look of a character: the still sprite and its animation frames (frame n at index n - 1).
struct Sprite {
    Image still;
    std::vector<Image> frames;
};

// Parses a pixel map:
//   still            followed by 32 rows "|<32 pixel characters>|"
//   frame <n>        starts frame n (numbered 1, 2, ... in order) as a copy of the still;
//                    inside a frame, in order of appearance:
//     shift <dx> <dy>  moves the whole frame (bobbing, trembling)
//     at <x> <y>       places the overlay rows that follow with their top-left corner there;
//                      '~' in an overlay row keeps the pixel below.
// Throws std::runtime_error naming the source and line of the first mistake.
Sprite parseSprite(std::string_view text, const Palette& palette, const std::string& sourceName);

} // namespace plovane::spritegen
