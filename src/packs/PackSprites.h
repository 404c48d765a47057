#pragma once

#include "packs/PackArchiveInspector.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace plovane {

struct PixelSize {
    std::uint32_t width{0};
    std::uint32_t height{0};
};

// The size a PNG file's header gives, read from its first 24 bytes; nothing when the file
// cannot be read or does not start as a PNG does.
std::optional<PixelSize> readPngSize(const std::string& path);

// Whether the picture at a path decodes whole, every pixel of it.
using SpriteDecoder = std::function<bool(const std::string& path)>;

// Judges the sprites ("sprite_*.png") at the top of an unpacked pack folder: first each
// by its header, which must be a PNG's within limits.maxSpriteSide on both sides (so a
// picture too large to draw costs a few bytes to refuse), then, when all headers pass and
// `decodes` is given, each decoded whole. A folder that cannot be listed gives
// `unreadable` and the system's reason in `error`.
PackVerdict inspectPackSprites(const std::string& packFolder, const PackLimits& limits, std::error_code& error,
                               const SpriteDecoder& decodes = {});

} // namespace plovane
