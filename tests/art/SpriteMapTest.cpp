#include "SpriteMap.h"

#include <gtest/gtest.h>

#include <string>

using namespace plovane::spritegen;

namespace {

constexpr Rgba kInk{0x10, 0x20, 0x30, 0xff};
constexpr Rgba kGlass{0xaa, 0xbb, 0xcc, 0x80};

Palette testPalette()
{
    Palette palette;
    readPalette("# shared\nK 102030  # ink\n\nG aabbcc80\n", "test.palette", palette);
    return palette;
}

std::string row(const std::string& start = "")
{
    return "|" + start + std::string(32 - start.size(), '.') + "|\n";
}

// A still with ink at (0, 0) and (1, 0) and glass at (0, 1); the rest is empty.
std::string still()
{
    std::string text = "still\n" + row("KK") + row("G");
    for (int i = 2; i < 32; ++i)
        text += row();
    return text;
}

std::string parseError(const std::string& text)
{
    try {
        parseSprite(text, testPalette(), "look.txt");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(SpriteMapTest, PaletteReadsColoursWithAndWithoutAlphaAndRefusesClashes)
{
    const Palette palette = testPalette();
    EXPECT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette.at('K'), kInk);
    EXPECT_EQ(palette.at('G'), kGlass);

    for (const char* bad : {"K 000000\n", ". 000000\n", "~ 000000\n", "x 12345\n", "x 12345g\n", "xy 123456\n",
                            "x 123456 extra\n"}) {
        Palette clash = testPalette();
        EXPECT_THROW(readPalette(bad, "extra.palette", clash), std::runtime_error) << bad;
    }
}

TEST(SpriteMapTest, FramesStartFromTheStillAndApplyShiftsAndOverlaysInOrder)
{
    const std::string text = still()
        + "frame 1\n"
          "frame 2\n"
          "shift 1 2\n"
          "frame 3\n"
          "at 1 0\n"
          "|.~G|\n"
          "|~K|\n"
          "frame 4\n"
          "at 30 31\n"
          "|KK|\n"
          "shift -1 0\n";
    const Sprite sprite = parseSprite(text, testPalette(), "look.txt");

    EXPECT_EQ(sprite.still.at(0, 0), kInk);
    EXPECT_EQ(sprite.still.at(0, 1), kGlass);
    EXPECT_EQ(sprite.still.at(5, 5), Rgba{});
    ASSERT_EQ(sprite.frames.size(), 4u);
    EXPECT_EQ(sprite.frames[0], sprite.still);

    const Image& moved = sprite.frames[1];
    EXPECT_EQ(moved.at(1, 2), kInk);
    EXPECT_EQ(moved.at(2, 2), kInk);
    EXPECT_EQ(moved.at(1, 3), kGlass);
    EXPECT_EQ(moved.at(0, 0), Rgba{});

    const Image& patched = sprite.frames[2];
    EXPECT_EQ(patched.at(0, 0), kInk);   // left of the overlay
    EXPECT_EQ(patched.at(1, 0), Rgba{}); // '.' clears
    EXPECT_EQ(patched.at(2, 0), Rgba{}); // '~' keeps what was there (nothing)
    EXPECT_EQ(patched.at(3, 0), kGlass);
    EXPECT_EQ(patched.at(0, 1), kGlass); // untouched row start
    EXPECT_EQ(patched.at(1, 1), Rgba{}); // '~' keeps
    EXPECT_EQ(patched.at(2, 1), kInk);

    const Image& last = sprite.frames[3];
    EXPECT_EQ(last.at(29, 31), kInk);
    EXPECT_EQ(last.at(30, 31), kInk);
    EXPECT_EQ(last.at(31, 31), Rgba{}); // the shift after the overlay moved it left
}

TEST(SpriteMapTest, MistakesAreRefusedWithTheirLine)
{
    std::string shortRow = still();
    shortRow.replace(shortRow.find("|KK"), 34, "|KK" + std::string(28, '.') + "|");
    EXPECT_NE(parseError(shortRow).find("look.txt:2: a row needs 32 pixels, found 30"), std::string::npos);

    std::string unknown = still();
    unknown.replace(unknown.find("|KK") + 1, 1, "Z");
    EXPECT_NE(parseError(unknown).find("look.txt:2: 'Z' is not in the palette"), std::string::npos);

    const std::string tooFew = still().substr(0, still().size() - row().size());
    EXPECT_NE(parseError(tooFew).find("the still needs 32 rows, found 31"), std::string::npos);
    EXPECT_NE(parseError(still() + row()).find("look.txt:34: the still has more than 32 rows"), std::string::npos);
    EXPECT_NE(parseError("frame 1\n").find("frames come after a complete still"), std::string::npos);
    EXPECT_NE(parseError(still() + "frame 2\n").find("look.txt:34: expected frame 1"), std::string::npos);
    EXPECT_NE(parseError(still() + "frame 1\n|K|\n").find("look.txt:35: pixel rows belong after"), std::string::npos);
    EXPECT_NE(parseError(still() + "frame 1\nat 31 0\n|KK|\n").find("(32, 0) is outside the sprite"), std::string::npos);
    EXPECT_NE(parseError(still() + "frame 1\nshift 1\n").find("expected 2 whole numbers"), std::string::npos);
    EXPECT_NE(parseError(still() + "shift 1 1\n").find("unexpected \"shift 1 1\""), std::string::npos);
    EXPECT_NE(parseError(still() + "still\n").find("unexpected \"still\""), std::string::npos);
}
