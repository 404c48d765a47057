#include "TestSupport.h"
#include "platform/qt/QtFontManager.h"
#include "settings/FontRegistrar.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace plovane;

namespace {
int argc = 1;
char arg0[] = "qt-font-test";
char* argv[] = {arg0, nullptr};

const char* const kFamily = "Press Start 2P";
} // namespace

// The working copy's pixel font becomes available to the whole process.
TEST(QtFontManager, EmbeddedPixelFontIsAvailableAfterRegistration)
{
    const auto font = test::sourceDir() + "/TessivarNative/Resources/Fonts/PressStart2P-Regular.ttf";
    ASSERT_TRUE(std::filesystem::exists(font)) << "scripts/deps.sh installs the font";
    QGuiApplication app(argc, argv);
    ASSERT_FALSE(QFontDatabase::families().contains(kFamily));

    std::filesystem::current_path(test::sourceDir());
    QtFontManager fonts;
    FontRegistrar::registerEmbeddedFonts(fonts);
    EXPECT_TRUE(QFontDatabase::families().contains(kFamily));
    FontRegistrar::registerEmbeddedFonts(fonts); // twice does no harm
    EXPECT_TRUE(QFontDatabase::families().contains(kFamily));
}

TEST(QtFontManager, RefusesFilesThatAreNoFont)
{
    QGuiApplication app(argc, argv);
    QtFontManager fonts;
    const auto dir = test::makeTempDir("fonts");
    std::ofstream(dir + "/fake.ttf") << "not a font";
    EXPECT_FALSE(fonts.registerFontFile(dir + "/fake.ttf"));
    EXPECT_FALSE(fonts.registerFontFile(dir + "/missing.ttf"));
}

TEST(QtFontManager, FailsSoftlyWithoutAGuiApplication)
{
    QtFontManager fonts;
    EXPECT_FALSE(fonts.registerFontFile(test::sourceDir() + "/TessivarNative/Resources/Fonts/PressStart2P-Regular.ttf"));
}
