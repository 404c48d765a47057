#pragma once

#include <string>
#include <vector>

namespace plovane {

class FontManager;

// Registers the fonts shipped beside the program: the pixel font the HUD draws with, and
// the two weights of the Chinese face cut down to the program's own texts (made by the
// set-up script).
namespace FontRegistrar {

// Where the font file `name` may lie, in the order they are tried: the program's data
// folder (installed, or the working copy of this build; only when the file is there),
// then TessivarNative/Resources/Fonts below the current directory (always).
std::vector<std::string> candidatePaths(const std::string& name);

// Registers every candidate of every font that exists. Failures, among them registering
// the same font twice, are ignored; calling it again does no harm.
void registerEmbeddedFonts(FontManager& fonts);

} // namespace FontRegistrar
} // namespace plovane
