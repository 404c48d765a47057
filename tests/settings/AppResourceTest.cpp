#include "FileFixtures.h"
#include "TestSupport.h"
#include "settings/AppResource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace plovane;
using plovane::test::writeFile;
namespace fs = std::filesystem;

TEST(AppResourcePaths, WorkingCopyBaseAndPlainJoin)
{
    const auto dir = test::enterTempDir("work");
    EXPECT_EQ(AppResource::resourceBase(), dir + "/TessivarNative");
    EXPECT_EQ(AppResource::path("Assets/HUD/a.png"), dir + "/TessivarNative/Assets/HUD/a.png");
    EXPECT_EQ(AppResource::path("/abs"), dir + "/TessivarNative//abs");
    EXPECT_EQ(AppResource::path(""), dir + "/TessivarNative/");

    // Computed on every call: it follows the working directory.
    const auto other = test::enterTempDir("other");
    EXPECT_EQ(AppResource::resourceBase(), other + "/TessivarNative");
}

TEST(AppResourcePaths, ExistsLooksBelowTheBase)
{
    const auto dir = test::enterTempDir("work");
    EXPECT_FALSE(AppResource::exists("Assets/x.png"));
    writeFile(dir + "/TessivarNative/Assets/x.png");
    EXPECT_TRUE(AppResource::exists("Assets/x.png"));
    EXPECT_TRUE(AppResource::exists("Assets")); // any item, folders too
    EXPECT_FALSE(AppResource::exists(dir + "/TessivarNative/Assets/x.png"));
}

TEST(AppResourcePaths, CustomSpritesFolderFollowsTheDataHome)
{
    EXPECT_EQ(AppResource::customSpritesBase(), std::string(std::getenv("XDG_DATA_HOME")) + "/Plovane/Sprites");
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(AppResource::customSpritesBase(), "/srv/data/Plovane/Sprites");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(AppResource::customSpritesBase(), std::string(std::getenv("HOME")) + "/.local/share/Plovane/Sprites");
    EXPECT_FALSE(fs::exists(AppResource::customSpritesBase())); // reading it creates nothing
}

TEST(AppResourceCustomFolder, EnsureCreatesTheWholeChainOnce)
{
    const auto fresh = test::makeTempDir("fresh") + "/no/such/data";
    ::setenv("XDG_DATA_HOME", fresh.c_str(), 1);
    AppResource::ensureCustomSpritesDir();
    EXPECT_TRUE(fs::is_directory(fresh + "/Plovane/Sprites"));
    writeFile(fresh + "/Plovane/Sprites/keep/manifest.json", "{}");
    AppResource::ensureCustomSpritesDir();
    EXPECT_TRUE(fs::exists(fresh + "/Plovane/Sprites/keep/manifest.json"));
}

TEST(AppResourceCustomFolder, EnsureIgnoresFailures)
{
    const auto blocked = test::makeTempDir("blocked");
    writeFile(blocked + "/Plovane", "a file in the way");
    ::setenv("XDG_DATA_HOME", blocked.c_str(), 1);
    AppResource::ensureCustomSpritesDir();
    EXPECT_TRUE(fs::is_regular_file(blocked + "/Plovane"));
    EXPECT_TRUE(AppResource::customCharacterDirs().empty());
}
