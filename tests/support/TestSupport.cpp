#include "TestSupport.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace plovane::test {

std::string sourceDir()
{
    const char* dir = std::getenv("PLOVANE_SOURCE_DIR");
    return dir ? dir : std::filesystem::current_path().string();
}

std::string makeTempDir(const std::string& name)
{
    const char* home = std::getenv("HOME");
    std::filesystem::path dir = std::filesystem::path(home ? home : "/tmp") / "tmp" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string testName(std::string text)
{
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return text;
}

bool desktopFonts()
{
    const char* fonts = std::getenv("PLOVANE_TEST_FONTS");
    return fonts && std::string(fonts) == "desktop";
}

} // namespace plovane::test
