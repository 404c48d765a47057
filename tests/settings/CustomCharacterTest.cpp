#include "FileFixtures.h"
#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <linux/capability.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace plovane;
using plovane::test::makeCustomCharacter;
using plovane::test::writeFile;
namespace fs = std::filesystem;

namespace {

template <typename T>
std::vector<T> sorted(std::vector<T> v)
{
    std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) {
        if constexpr (std::is_same_v<T, CustomCharacter>)
            return a.dirName() < b.dirName();
        else
            return a < b;
    });
    return v;
}

const char* const kNamed = R"({"name": "Named Pup", "author": "ignored"})";

} // namespace

TEST(CustomCharacterDirs, OnlyVisibleFoldersWithAManifest)
{
    const auto base = AppResource::customSpritesBase();
    makeCustomCharacter("withManifest", kNamed, 0);
    makeCustomCharacter("noManifest", nullptr);
    makeCustomCharacter(".hidden", kNamed);
    writeFile(base + "/notes.txt", "{}");
    writeFile(base + "/.DS_Store");
    EXPECT_EQ(AppResource::customCharacterDirs(), std::vector<std::string>{"withManifest"});
}

TEST(CustomCharacterDirs, MissingOrUnlistableFolderIsEmpty)
{
    EXPECT_TRUE(AppResource::customCharacterDirs().empty());
    EXPECT_TRUE(CustomCharacter::loadAll().empty());
    // Something that exists but cannot be listed as a folder.
    writeFile(AppResource::customSpritesBase(), "not a folder");
    EXPECT_TRUE(AppResource::customCharacterDirs().empty());
    EXPECT_TRUE(CustomCharacter::loadAll().empty());
}

namespace {

// Permissions do not bind root, so as root the listing runs in a child that gives up the
// capabilities that pass over them: root is then held to the owner's bits of its own
// folders, whatever the folders above the test's home let other users do.
int listedCountAsUnprivileged()
{
    if (::geteuid() != 0)
        return static_cast<int>(AppResource::customCharacterDirs().size());
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
        if (::syscall(SYS_capget, &header, caps) != 0)
            ::_exit(255);
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            caps[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
        if (::syscall(SYS_capset, &header, caps) != 0)
            ::_exit(255);
        ::_exit(static_cast<int>(AppResource::customCharacterDirs().size()));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST(CustomCharacterDirs, UnreadableFolderIsEmpty)
{
    makeCustomCharacter("pup", kNamed);
    const auto base = AppResource::customSpritesBase();
    ASSERT_EQ(listedCountAsUnprivileged(), 1); // readable: the pack is there
    fs::permissions(base, fs::perms::owner_exec | fs::perms::others_exec);
    const int listed = listedCountAsUnprivileged();
    fs::permissions(base, fs::perms::owner_all);
    EXPECT_EQ(listed, 0);
}

TEST(CustomCharacterLoad, KeepsOnlyPacksWithEveryStill)
{
    makeCustomCharacter("complete", kNamed);
    makeCustomCharacter("fourStills", kNamed, 4);
    makeCustomCharacter("noManifest", nullptr);
    makeCustomCharacter(".hiddenComplete", kNamed);
    const auto gapped = makeCustomCharacter("gapped", kNamed, 0);
    for (const char* s : {"deep_dive", "hovering", "resting", "critical"})
        writeFile(gapped + "/sprite_" + s + "_32.png");

    EXPECT_EQ(sorted(AppResource::customCharacterDirs()),
              (std::vector<std::string>{"complete", "fourStills", "gapped"}));
    EXPECT_EQ(CustomCharacter::loadAll(), std::vector<CustomCharacter>{CustomCharacter("complete", "Named Pup")});
    EXPECT_FALSE(CustomCharacter("fourStills", "x").isValid());
    EXPECT_FALSE(CustomCharacter("gapped", "x").isValid());
    EXPECT_TRUE(CustomCharacter("complete", "x").isValid());
}

TEST(CustomCharacterLoad, DisplayNameFromTheManifestOrTheFolder)
{
    const auto base = AppResource::customSpritesBase();
    makeCustomCharacter("emptyName", R"({"name": ""})");
    makeCustomCharacter("numberName", R"({"name": 7})");
    makeCustomCharacter("arrayTop", R"([{"name": "x"}])");
    makeCustomCharacter("notJson", "name: Rex");
    makeCustomCharacter("emptyFile", "");
    makeCustomCharacter("noName", R"({"title": "x"})");
    makeCustomCharacter("unicode", R"({"name": "柴犬 🐕"})");
    makeCustomCharacter("huge", nullptr);
    writeFile(base + "/huge/manifest.json", R"({"name": "Huge", "pad": ")" + std::string(1 << 20, 'a') + "\"}");
    makeCustomCharacter("manifestIsFolder", nullptr);
    fs::create_directories(base + "/manifestIsFolder/manifest.json");

    const std::vector<CustomCharacter> expected{
        {"arrayTop", "arrayTop"},   {"emptyFile", "emptyFile"}, {"emptyName", ""},
        {"huge", "huge"},           {"manifestIsFolder", "manifestIsFolder"},
        {"noName", "noName"},       {"notJson", "notJson"},     {"numberName", "numberName"},
        {"unicode", "柴犬 🐕"}};
    EXPECT_EQ(sorted(CustomCharacter::loadAll()), expected);
}

TEST(CustomCharacterLoad, SeesPacksAddedChangedAndRemovedBetweenCalls)
{
    const auto base = AppResource::customSpritesBase();
    makeCustomCharacter("a", kNamed);
    EXPECT_EQ(CustomCharacter::loadAll().size(), 1u);
    makeCustomCharacter("b", R"({"name": "B"})");
    EXPECT_EQ(CustomCharacter::loadAll().size(), 2u);
    fs::remove(base + "/a/sprite_critical_32.png");
    EXPECT_EQ(CustomCharacter::loadAll(), std::vector<CustomCharacter>{CustomCharacter("b", "B")});
    // The sprite back, and a manifest rewritten in place.
    writeFile(base + "/a/sprite_critical_32.png");
    writeFile(base + "/b/manifest.json", R"({"name": "Bee"})");
    EXPECT_EQ(CustomCharacter::loadAll(), (std::vector<CustomCharacter>{{"b", "Bee"}, {"a", "Named Pup"}}));
    // Another pack copied in under a listed pack's folder name.
    fs::remove_all(base + "/a");
    makeCustomCharacter("a", R"({"name": "Ant"})");
    EXPECT_EQ(CustomCharacter::loadAll(), (std::vector<CustomCharacter>{{"a", "Ant"}, {"b", "Bee"}}));
}

TEST(CustomCharacterLoad, ListedByNameAsAPersonLooksOneUpWhateverTheFolderOrder)
{
    // Folder names in another order than the names they show.
    for (const auto& [dir, name] : std::vector<std::pair<std::string, std::string>>{
             {"a", "Pack 10"}, {"b", "pack 9"}, {"c", "Pack 2"}, {"d", "柴犬"}, {"e", "Pack 02"},
             {"f", "apple"}, {"g", "Pack 2"}, {"h", "Banana"}, {"i", "Pack 1000"}, {"j", ""}})
        makeCustomCharacter(dir, ("{\"name\": \"" + name + "\"}").c_str());

    std::vector<std::string> listed;
    for (const auto& character : CustomCharacter::loadAll())
        listed.push_back(character.displayName() + "/" + character.dirName());
    // Same-reading names in one fixed order: exact text, then folder.
    EXPECT_EQ(listed, (std::vector<std::string>{"/j", "apple/f", "Banana/h", "Pack 02/e", "Pack 2/c", "Pack 2/g",
                                                "pack 9/b", "Pack 10/a", "Pack 1000/i", "柴犬/d"}));
}
