#pragma once

#include <string>
#include <vector>

namespace plovane {

class FontManager;

// Registers the pixel font the HUD draws with.
namespace FontRegistrar {

// Where the font may lie, in the order they are tried: the installed data folder (only
// when the program runs installed and the file is there), then the working copy's
// TessivarNative/Resources/Fonts below the current directory (always).
std::vector<std::string> candidatePaths();

// Registers every candidate that exists. Failures, among them registering the same
// font twice, are ignored; calling it again does no harm.
void registerEmbeddedFonts(FontManager& fonts);

} // namespace FontRegistrar
} // namespace plovane
