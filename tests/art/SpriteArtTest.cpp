// The built-in characters: the committed PNGs must be exactly what their pixel maps
// make, and the art must give the HUD everything it looks for.

#include "ArtLibrary.h"
#include "PngWriter.h"
#include "TestSupport.h"
#include "settings/AppResource.h"
#include "settings/SpriteCharacter.h"
#include "settings/SpriteNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;
using namespace plovane::spritegen;

namespace {

const std::vector<std::string> kKeys{plovane::kRequiredSpriteStates.begin(), plovane::kRequiredSpriteStates.end()};

std::string artDir() { return plovane::test::sourceDir() + "/art/sprites"; }
std::string committedDir() { return plovane::test::sourceDir() + "/TessivarNative/Assets/HUD/Sprites"; }

std::string readBytes(const fs::path& path)
{
    std::ifstream file{path, std::ios::binary};
    return {std::istreambuf_iterator<char>{file}, {}};
}

std::set<std::string> fileNames(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator{dir})
        names.insert(entry.path().filename().string());
    return names;
}

const Look& look(const CharacterArt& character, const std::string& key)
{
    for (const Look& l : character.looks) {
        if (l.key == key)
            return l;
    }
    throw std::runtime_error(character.name + " has no " + key);
}

// Share of pixels that differ, over the pixels opaque in either image.
double difference(const Image& a, const Image& b)
{
    int opaque = 0;
    int differing = 0;
    for (std::size_t i = 0; i < a.pixels().size(); ++i) {
        if (a.pixels()[i].a == 0 && b.pixels()[i].a == 0)
            continue;
        ++opaque;
        differing += a.pixels()[i] != b.pixels()[i];
    }
    return opaque ? static_cast<double>(differing) / opaque : 0.0;
}

} // namespace

TEST(SpriteArtTest, CommittedSpritesAreExactlyWhatTheMapsMake)
{
    const std::string out = plovane::test::makeTempDir("sprites");
    const auto characters = loadArt(artDir()); // throws on any row, size or palette fault
    ASSERT_FALSE(characters.empty());
    for (const CharacterArt& character : characters) {
        writeCharacter(character, out);
        const fs::path generated = fs::path{out} / character.name;
        const fs::path committed = fs::path{committedDir()} / character.name;
        ASSERT_EQ(fileNames(generated), fileNames(committed))
            << character.name << ": rebuild the plovane_sprites target and commit the result";
        for (const std::string& name : fileNames(generated)) {
            EXPECT_EQ(readBytes(generated / name), readBytes(committed / name))
                << character.name << "/" << name << " differs from its map: rebuild the plovane_sprites target";
        }
    }
}

TEST(SpriteArtTest, EachCharacterHasEveryLookAndEveryLookMoves)
{
    const auto characters = loadArt(artDir());
    std::vector<std::string> names;
    for (const CharacterArt& character : characters) {
        names.push_back(character.name);
        std::set<std::string> keys;
        for (const Look& l : character.looks)
            keys.insert(l.key);
        EXPECT_EQ(keys, std::set<std::string>(kKeys.begin(), kKeys.end())) << character.name;

        for (const Look& l : character.looks) {
            const std::string what = character.name + " " + l.key;
            EXPECT_GE(l.sprite.frames.size(), 2u) << what;
            EXPECT_LE(l.sprite.frames.size(), 4u) << what;
            std::set<std::vector<std::uint8_t>> distinct;
            for (const Image& frame : l.sprite.frames)
                distinct.insert(encodePng(frame));
            EXPECT_GE(distinct.size(), 2u) << what << " does not move";
            for (const Image& image : [&] { auto all = l.sprite.frames; all.push_back(l.sprite.still); return all; }()) {
                // Transparent corners: the HUD floats the pet over the desktop.
                for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
                    EXPECT_EQ(image.at(x, y).a, 0) << what << " corner " << x << "," << y;
            }
        }
    }
    std::vector<std::string> builtIn;
    for (plovane::SpriteCharacter c : plovane::allCases<plovane::SpriteCharacter>())
        builtIn.emplace_back(plovane::rawValue(c));
    std::ranges::sort(builtIn);
    EXPECT_EQ(names, builtIn);
}

TEST(SpriteArtTest, TheProgramFindsEveryStillAndFrameFromAWorkingCopy)
{
    for (const CharacterArt& art : loadArt(artDir())) {
        const auto character = plovane::fromRaw<plovane::SpriteCharacter>(art.name);
        ASSERT_TRUE(character) << art.name;
        for (const Look& l : art.looks) {
            EXPECT_TRUE(plovane::AppResource::exists(plovane::spritePath(*character, l.key))) << art.name << " " << l.key;
            EXPECT_EQ(plovane::frameCount(*character, l.key), static_cast<int>(l.sprite.frames.size()))
                << art.name << " " << l.key;
        }
    }
}

TEST(SpriteArtTest, TheTwoDogsLookDifferentInEveryPose)
{
    const auto characters = loadArt(artDir());
    ASSERT_EQ(characters.size(), 2u);
    for (const std::string& key : kKeys) {
        EXPECT_GT(difference(look(characters[0], key).sprite.still, look(characters[1], key).sprite.still), 0.3)
            << key;
    }
}

TEST(SpriteArtTest, RegeneratingRemovesSpritesNoMapMakesAnyMore)
{
    const std::string out = plovane::test::makeTempDir("stale");
    CharacterArt character{"pup", {}};
    character.looks.push_back({"reading", Sprite{Image{kSpriteSize, kSpriteSize}, {Image{kSpriteSize, kSpriteSize}}}});
    fs::create_directories(fs::path{out} / "pup");
    for (const char* name : {"sprite_reading_32_2.png", "sprite_old_32.png", "manifest.json", "notes.png"})
        std::ofstream{fs::path{out} / "pup" / name} << "x";

    writeCharacter(character, out);
    EXPECT_EQ(fileNames(fs::path{out} / "pup"),
              (std::set<std::string>{"sprite_reading_32.png", "sprite_reading_32_1.png", "manifest.json", "notes.png"}));
}

TEST(SpriteArtTest, ContactSheetOfEveryBuiltInSprite)
{
    std::vector<std::vector<Image>> rows;
    for (const CharacterArt& character : loadArt(artDir())) {
        for (const std::string& key : kKeys) {
            rows.emplace_back();
            for (const SpriteFile& file : spriteFiles(look(character, key)))
                rows.back().push_back(file.image);
        }
    }
    const Image sheet = contactSheet(rows, 5);
    EXPECT_EQ(sheet.height(), 8 + static_cast<int>(rows.size()) * (160 + 8));
    EXPECT_GE(sheet.width(), 8 + 3 * (160 + 8));

    const std::string path = PLOVANE_CONTACT_SHEET;
    writePng(sheet, path);
    EXPECT_TRUE(fs::exists(path));
    std::cout << "contact sheet: " << path << "\n";
}
