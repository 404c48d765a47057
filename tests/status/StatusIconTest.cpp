#include "status/StatusIcon.h"
#include "status/StatusIconSource.h"

#include "FileFixtures.h"
#include "settings/AppResource.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>

using namespace plovane;
namespace fs = std::filesystem;

TEST(StatusIconSource, CropIsEightyPercentOfTheShorterSideLeftOfAndAboveTheMiddle)
{
    const IconCrop square = statusIconCrop(32, 32);
    EXPECT_DOUBLE_EQ(square.side, 25.6);
    EXPECT_NEAR(square.x, 2.24, 1e-12);
    EXPECT_NEAR(square.y, 3.328, 1e-12);

    const IconCrop wide = statusIconCrop(64, 32);
    EXPECT_DOUBLE_EQ(wide.side, 25.6);
    EXPECT_NEAR(wide.x, 0.35 * (64 - 25.6), 1e-12);
    EXPECT_NEAR(wide.y, 3.328, 1e-12);
}

TEST(StatusIconSource, PoseFileIsTheSecondFrameThenTheFirstThenTheStillSprite)
{
    const std::string pack = test::makeCustomCharacter("Pip", "{}");
    const CharacterID pip = CharacterID::custom("Pip");
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::resting), pack + "/sprite_resting_32.png");
    test::writeFile(pack + "/sprite_resting_32_1.png");
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::resting), pack + "/sprite_resting_32_1.png");
    test::writeFile(pack + "/sprite_resting_32_2.png");
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::resting), pack + "/sprite_resting_32_2.png");
    fs::remove(pack + "/sprite_resting_32_1.png");
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::resting), pack + "/sprite_resting_32_2.png")
        << "frame 2 alone is enough";
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::chaos), pack + "/sprite_critical_32.png");
    EXPECT_EQ(statusIconSpritePath(pip, DiveState::research), pack + "/sprite_reading_32.png");

    // Built-in characters are found under the resource base.
    const std::string base = test::enterTempDir("icons") + "/TessivarNative";
    test::writeFile(base + "/Assets/HUD/Sprites/corgi/sprite_hovering_32_1.png");
    EXPECT_EQ(fs::path(statusIconSpritePath(CharacterID::builtIn(SpriteCharacter::corgi), DiveState::hovering)),
              fs::path(base + "/Assets/HUD/Sprites/corgi/sprite_hovering_32_1.png"));
    EXPECT_EQ(fs::path(statusIconSpritePath(CharacterID::builtIn(SpriteCharacter::corgi), DiveState::flow)),
              fs::path(base + "/Assets/HUD/Sprites/corgi/sprite_deep_dive_32.png"))
        << "the still sprite's path even when it is missing";
}

TEST(StatusIconSource, KeyChangesWithStateCharacterAndTheFilesModificationTime)
{
    const std::string pack = test::makeCustomCharacter("Pip", "{}");
    const CharacterID pip = CharacterID::custom("Pip");
    const StatusIconKey flow = statusIconKey(DiveState::flow, pip);
    EXPECT_TRUE(flow.modified.has_value());
    EXPECT_EQ(statusIconKey(DiveState::flow, pip), flow);
    EXPECT_NE(statusIconKey(DiveState::resting, pip), flow);
    EXPECT_NE(statusIconKey(DiveState::flow, CharacterID::builtIn(SpriteCharacter::corgi)), flow);

    const std::string still = pack + "/sprite_deep_dive_32.png";
    fs::last_write_time(still, fs::last_write_time(still) + std::chrono::seconds(3));
    EXPECT_NE(statusIconKey(DiveState::flow, pip), flow);
    fs::remove(still);
    EXPECT_FALSE(statusIconKey(DiveState::flow, pip).modified.has_value());
}

namespace {

QApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// A 32 × 32 sprite of 4 × 4 blocks in distinct colours, so any blending shows.
QImage blockSprite()
{
    QImage sprite(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            sprite.setPixel(x, y, qRgb((x / 4) * 30, (y / 4) * 30, 200));
    return sprite;
}

} // namespace

TEST(StatusIcon, LowerPartHoldsTheCropWithHardEdgesAndTheTopStaysEmpty)
{
    guiApp();
    const QImage sprite = blockSprite();
    std::set<QRgb> palette;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            palette.insert(sprite.pixel(x, y));

    for (int side : {28, 22, 56}) {
        const QImage icon = StatusIcon::render(sprite, side).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icon.size(), QSize(side, side));
        const int gap = static_cast<int>(std::lround(side * 6 / 28.0));
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QRgb p = icon.pixel(x, y);
                if (y < gap)
                    ASSERT_EQ(qAlpha(p), 0) << "top rows stay empty at " << x << "," << y << " (" << side << ")";
                else
                    ASSERT_TRUE(palette.contains(p | 0xff000000u) && qAlpha(p) == 255)
                        << "a blended pixel at " << x << "," << y << " (" << side << ")";
            }
        }
    }
    // At 28 the crop starts 2.24 px in: the first column is the sprite's first block column,
    // the last lies in its seventh (27.84 / 4).
    const QImage icon = StatusIcon::render(sprite, 28);
    EXPECT_EQ(qRed(icon.pixel(0, 27)), 0);
    EXPECT_EQ(qRed(icon.pixel(27, 27)), 6 * 30);
    // The crop's top edge is 3.072 px below the sprite's top: block row 0.
    EXPECT_EQ(qGreen(icon.pixel(0, 6)), 0);
    EXPECT_EQ(qGreen(icon.pixel(0, 27)), 7 * 30);
}

TEST(StatusIcon, AnUnreadableSpriteGivesAnEmptyIconNotANullOne)
{
    guiApp();
    const QImage empty = StatusIcon::render(QImage(), 28);
    ASSERT_FALSE(empty.isNull());
    EXPECT_EQ(qAlpha(empty.pixel(14, 20)), 0);
    EXPECT_FALSE(StatusIcon::blank().isNull());
    EXPECT_GE(StatusIcon::make(blockSprite()).availableSizes().size(), 5);
}
