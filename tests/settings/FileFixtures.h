#pragma once

#include <string>

namespace plovane::test {

// Writes `content` to `path`, creating the missing folders above it.
void writeFile(const std::string& path, const std::string& content = "x");
// Moves this test process into a new empty folder and returns its path.
std::string enterTempDir(const std::string& name);
// Creates a custom character folder <data home>/Plovane/Sprites/<dir> with the given
// manifest text (none when null) and the still sprites of the first `stills` states.
std::string makeCustomCharacter(const std::string& dir, const char* manifest, int stills = 5);

} // namespace plovane::test
