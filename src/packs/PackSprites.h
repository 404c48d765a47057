#pragma once

#include "packs/PackArchiveInspector.h"

#include <cstdint>
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

// Judges the sprites ("sprite_*.png") at the top of an unpacked pack folder by their
// headers alone: each must be a PNG within limits.maxSpriteSide on both sides. Nothing
// is decoded, so a picture of any size costs the same few bytes to judge. A folder that
// cannot be listed gives `unreadable` and the system's reason in `error`.
PackVerdict inspectPackSprites(const std::string& packFolder, const PackLimits& limits, std::error_code& error);

} // namespace plovane
