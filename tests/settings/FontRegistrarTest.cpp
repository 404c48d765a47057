#include "FileFixtures.h"
#include "TestSupport.h"
#include "platform/FontManager.h"
#include "settings/FontRegistrar.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

using namespace plovane;
using plovane::test::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kFontPath = "/TessivarNative/Resources/Fonts/PressStart2P-Regular.ttf";

struct RecordingFontManager final : FontManager {
    std::vector<std::string> attempts;
    bool registerFontFile(const std::string& path) override
    {
        const bool first = std::find(attempts.begin(), attempts.end(), path) == attempts.end();
        attempts.push_back(path);
        return first; // a second registration of one file fails, as on the desktop
    }
};

// Runs a copy of the resource probe placed at `exe`, from the working folder `cwd`.
std::string runProbe(const std::string& exe, const std::string& cwd)
{
    fs::create_directories(fs::path(exe).parent_path());
    fs::copy_file(PLOVANE_RESOURCE_PROBE, exe, fs::copy_options::overwrite_existing);
    const std::string command = "cd '" + cwd + "' && '" + exe + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    std::array<char, 512> buffer{};
    while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()))
        output += buffer.data();
    return output;
}

} // namespace

TEST(FontRegistration, RegistersTheWorkingCopyFontWhenPresent)
{
    const auto dir = test::enterTempDir("work");
    RecordingFontManager fonts;
    FontRegistrar::registerEmbeddedFonts(fonts);
    EXPECT_TRUE(fonts.attempts.empty());

    writeFile(dir + kFontPath);
    FontRegistrar::registerEmbeddedFonts(fonts);
    FontRegistrar::registerEmbeddedFonts(fonts); // again: harmless
    EXPECT_EQ(fonts.attempts, (std::vector<std::string>{dir + kFontPath, dir + kFontPath}));
}

TEST(FontRegistration, AFolderNamedLikeTheFontIsNotRegistered)
{
    const auto dir = test::enterTempDir("work");
    fs::create_directories(dir + kFontPath);
    RecordingFontManager fonts;
    FontRegistrar::registerEmbeddedFonts(fonts);
    EXPECT_TRUE(fonts.attempts.empty());
}

TEST(InstalledLayout, InstalledDataFolderIsTheBaseAndItsFontComesFirst)
{
    const auto root = test::makeTempDir("layout");
    const auto data = root + "/prefix/share/plovane";
    const auto work = root + "/work";
    fs::create_directories(data);
    fs::create_directories(work);
    const auto exe = root + "/prefix/bin/plovane-probe";

    // Installed, with the font nowhere.
    EXPECT_EQ(runProbe(exe, work), "base " + data + "\n");

    // Only in the installed data: one registration.
    writeFile(data + "/Resources/Fonts/PressStart2P-Regular.ttf");
    const std::string installedFont = "font " + data + "/Resources/Fonts/PressStart2P-Regular.ttf\n";
    EXPECT_EQ(runProbe(exe, work), "base " + data + "\n" + installedFont);

    // In both places: two attempts, the installed one first.
    writeFile(work + kFontPath);
    EXPECT_EQ(runProbe(exe, work), "base " + data + "\n" + installedFont + "font " + work + kFontPath + "\n");
}

TEST(InstalledLayout, WithoutTheDataFolderTheWorkingCopyIsTheBase)
{
    const auto root = test::makeTempDir("layout");
    const auto work = root + "/work";
    fs::create_directories(work);
    writeFile(work + kFontPath);
    const std::string expected = "base " + work + "/TessivarNative\nfont " + work + kFontPath + "\n";
    // A bin folder with no share/plovane beside it, and a folder not named bin.
    EXPECT_EQ(runProbe(root + "/prefix/bin/plovane-probe", work), expected);
    fs::create_directories(root + "/other/share/plovane");
    EXPECT_EQ(runProbe(root + "/other/libexec/plovane-probe", work), expected);
}
