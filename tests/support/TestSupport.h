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
// Whether the text is drawn with the pinned faces only, so exact sizes hold: inside the
// private test desktop, unless a run there asks for other fonts.
bool pinnedFonts();
// Whether this runs inside the private test desktop (scripts/test-desktop.sh marks it).
bool insideTestDesktop();
// Why a test that drives a desktop (its focus, input, session bus) cannot run here: empty
// inside the private test desktop, else the reason and how to run it there. Outside it, the
// test would drive the user's own desktop, or find none.
std::string outsideTestDesktop();

} // namespace plovane::test

// Skips a test that drives a desktop when it runs outside the private one, saying why.
#define PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP()                                            \
    if (const std::string why = ::plovane::test::outsideTestDesktop(); !why.empty()) \
    GTEST_SKIP() << why
