#include "FileFixtures.h"
#include "settings/AppResource.h"
#include "settings/CharacterID.h"
#include "settings/CustomCharacter.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace plovane;
using plovane::test::makeCustomCharacter;
using plovane::test::writeFile;

namespace {

const CharacterID tuffin = CharacterID::builtIn(SpriteCharacter::tuffin);
const CharacterID corgi = CharacterID::builtIn(SpriteCharacter::corgi);

} // namespace

TEST(CharacterIDParse, UnknownTextsGiveTuffin)
{
    for (const char* raw : {"", "Tuffin", "CORGI", "corgi ", " tuffin", "dragon", "Custom:x", "custom"})
        EXPECT_EQ(CharacterID::from(raw), tuffin) << '"' << raw << '"';
    EXPECT_EQ(CharacterID::from("corgi"), corgi);
    EXPECT_EQ(CharacterID::from("tuffin"), tuffin);
}

TEST(CharacterIDParse, CustomPrefixKeepsTheRestVerbatim)
{
    const auto empty = CharacterID::from("custom:");
    EXPECT_TRUE(empty.isCustom());
    EXPECT_EQ(empty.customDirName(), "");
    const auto spaced = CharacterID::from("custom: My  Dog ");
    EXPECT_EQ(spaced, CharacterID::custom(" My  Dog "));
    EXPECT_EQ(spaced.rawValue(), "custom: My  Dog ");
    EXPECT_EQ(CharacterID::from("custom:custom:x").customDirName(), "custom:x");
}

TEST(CharacterIDParse, StoredFormRoundTrips)
{
    for (const auto& id : {tuffin, corgi, CharacterID::custom(""), CharacterID::custom("a/b"),
                           CharacterID::custom("tuffin"), CharacterID::custom("日本 🐶")})
        EXPECT_EQ(CharacterID::from(id.rawValue()), id) << id.rawValue();
}

TEST(CharacterIDEquality, BuiltInAndCustomOfTheSameNameDiffer)
{
    const auto customCorgi = CharacterID::custom("corgi");
    EXPECT_NE(corgi, customCorgi);
    EXPECT_EQ(corgi.rawValue(), "corgi");
    EXPECT_EQ(customCorgi.rawValue(), "custom:corgi");
    EXPECT_FALSE(corgi.isCustom());
    EXPECT_EQ(corgi.builtInCharacter(), SpriteCharacter::corgi);
    EXPECT_FALSE(customCorgi.builtInCharacter());
    EXPECT_EQ(CharacterID::custom("x"), CharacterID::custom("x"));
    EXPECT_NE(CharacterID::custom("x"), CharacterID::custom("X"));
}

TEST(SpriteCharacterBasics, NamesOrderAndRelativePaths)
{
    const auto all = allCases<SpriteCharacter>();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], SpriteCharacter::tuffin);
    EXPECT_EQ(displayName(SpriteCharacter::tuffin), "Tuffin");
    EXPECT_EQ(displayName(SpriteCharacter::corgi), "Corgi");
    EXPECT_FALSE(fromRaw<SpriteCharacter>("Corgi"));
    EXPECT_EQ(spritePath(SpriteCharacter::tuffin, "reading"), "Assets/HUD/Sprites/tuffin/sprite_reading_32.png");
    EXPECT_EQ(spriteFramePath(SpriteCharacter::tuffin, "reading", 3),
              "Assets/HUD/Sprites/tuffin/sprite_reading_32_3.png");
    EXPECT_EQ(corgi.spritePath("deep_dive"), "Assets/HUD/Sprites/corgi/sprite_deep_dive_32.png");
    EXPECT_EQ(corgi.spriteFramePath("critical", 12), "Assets/HUD/Sprites/corgi/sprite_critical_32_12.png");
    EXPECT_EQ(corgi.displayName(), "Corgi");
}

TEST(CharacterPaths, CustomPathsAreAbsoluteUnderTheCustomFolder)
{
    const auto base = AppResource::customSpritesBase();
    const auto pup = CharacterID::custom("pup");
    EXPECT_EQ(pup.spritePath("resting"), base + "/pup/sprite_resting_32.png");
    EXPECT_EQ(pup.spriteFramePath("resting", 2), base + "/pup/sprite_resting_32_2.png");
    EXPECT_EQ(CustomCharacter("pup", "Pup").absoluteSpritePath("resting"), pup.spritePath("resting"));
}

TEST(CharacterPaths, BuiltInExistenceResolvesRelativePathsAgainstTheResourceBase)
{
    const auto dir = test::enterTempDir("work");
    const auto relative = corgi.spritePath("hovering");
    EXPECT_FALSE(corgi.spriteExists(relative));
    writeFile(dir + "/TessivarNative/" + relative);
    EXPECT_TRUE(corgi.spriteExists(relative));
    EXPECT_TRUE(AppResource::exists(relative));
    // An absolute path is joined to the base too, so it names nothing.
    EXPECT_FALSE(corgi.spriteExists(AppResource::path(relative)));

    const auto pup = CharacterID::custom("pup");
    EXPECT_FALSE(pup.spriteExists(pup.spritePath("hovering")));
    writeFile(pup.spritePath("hovering"));
    EXPECT_TRUE(pup.spriteExists(pup.spritePath("hovering")));
}

TEST(CharacterFrames, CountsOnlyTheUnbrokenRunFromOne)
{
    const auto dir = test::enterTempDir("work");
    auto builtInFrames = [&](std::initializer_list<int> frames) {
        std::filesystem::remove_all(dir + "/TessivarNative");
        for (int f : frames)
            writeFile(dir + "/TessivarNative/" + spriteFramePath(SpriteCharacter::tuffin, "reading", f));
        return frameCount(SpriteCharacter::tuffin, "reading");
    };
    EXPECT_EQ(builtInFrames({}), 0);
    EXPECT_EQ(builtInFrames({1, 2, 3}), 3);
    EXPECT_EQ(builtInFrames({2, 3}), 0);
    EXPECT_EQ(builtInFrames({1, 2, 4}), 2);
    EXPECT_EQ(tuffin.frameCount("reading"), 2);
    EXPECT_EQ(tuffin.frameCount("resting"), 0);
    EXPECT_EQ(corgi.frameCount("reading"), 0);

    const auto pup = CharacterID::custom("pup");
    for (int f : {1, 2, 3, 5})
        writeFile(pup.spriteFramePath("deep_dive", f));
    EXPECT_EQ(pup.frameCount("deep_dive"), 3);
    EXPECT_EQ(CharacterID::custom("other").frameCount("deep_dive"), 0);
}

TEST(CharacterDisplayName, CustomNameComesFromAnOfferedPack)
{
    makeCustomCharacter("pup", R"({"name": "Puppy"})");
    makeCustomCharacter("broken", R"({"name": "Broken"})", 4);
    EXPECT_EQ(CharacterID::custom("pup").displayName(), "Puppy");
    EXPECT_EQ(CharacterID::custom("broken").displayName(), "broken");
    EXPECT_EQ(CharacterID::custom("gone").displayName(), "gone");
}
