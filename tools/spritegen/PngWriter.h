#pragma once

#include "Image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plovane::spritegen {

// The PNG file of an image: 8-bit RGBA, no interlacing, filter 0 on every row and no
// ancillary chunks, so the same pixels always give the same bytes.
std::vector<std::uint8_t> encodePng(const Image& image);

// Writes encodePng(image) to `path`; throws std::runtime_error when that fails.
void writePng(const Image& image, const std::string& path);

} // namespace plovane::spritegen
