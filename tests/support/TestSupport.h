#pragma once

#include <string>

namespace plovane::test {

// The repository's top folder (tests run with it as their working directory too).
std::string sourceDir();
// A new empty folder below this test's private HOME.
std::string makeTempDir(const std::string& name);
// A test name made from any text: letters and digits kept, everything else '_'.
std::string testName(std::string text);
// Whether this run draws with a desktop's own fonts (Noto Sans and the faces a KDE or GNOME
// desktop brings) rather than the pinned ones: exact sizes then vary, what must hold on
// every desktop does not.
bool desktopFonts();

} // namespace plovane::test
