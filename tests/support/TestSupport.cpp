#include "TestSupport.h"

#include <gtest/gtest.h>

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

bool pinnedFonts()
{
    const char* fonts = std::getenv("PLOVANE_TEST_FONTS");
    return insideTestDesktop() && !(fonts && *fonts);
}

bool insideTestDesktop()
{
    const char* run = std::getenv("PLOVANE_TEST_RUN");
    return run && *run;
}

std::string outsideTestDesktop()
{
    if (insideTestDesktop())
        return {};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "NAME";
    return "needs the private test desktop; run it there: bash scripts/test-desktop.sh ctest --test-dir build -R '" +
           name + "' --output-on-failure";
}

} // namespace plovane::test
