#pragma once

#include <string>

namespace plovane::test {

// The repository's top folder (tests run with it as their working directory too).
std::string sourceDir();
// A new empty folder below this test's private HOME.
std::string makeTempDir(const std::string& name);
// A test name made from any text: letters and digits kept, everything else '_'.
std::string testName(std::string text);

} // namespace plovane::test
