#pragma once

#include <string>
#include <vector>

namespace plovane {

// Where the program's own files and the user's custom characters lie. Stateless: every
// call asks the system afresh.
namespace AppResource {

// The data folder that goes with the program (installed, or its build tree's working
// copy), else the current directory + "/TessivarNative".
std::string resourceBase();
// <XDG data home>/Plovane/Sprites: one folder per imported character. Reading it
// neither creates nor checks the folder.
std::string customSpritesBase();

// resourceBase() + "/" + relative, joined as text.
std::string path(const std::string& relative);
// Whether anything exists at path(relative).
bool exists(const std::string& relative);

// Names of the folders in the custom sprites folder that hold a "manifest.json", in
// listing order; hidden entries never count. Empty when the folder is missing or
// cannot be listed.
std::vector<std::string> customCharacterDirs();
// Creates the custom sprites folder with its missing parents; failures are ignored.
void ensureCustomSpritesDir();

} // namespace AppResource
} // namespace plovane
