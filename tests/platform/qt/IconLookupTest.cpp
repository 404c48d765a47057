#include "TestSupport.h"
#include "platform/qt/IconLookup.h"
#include "platform/qt/ImageLoader.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace plovane;

namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char arg0[] = "icon-lookup-tests";
    static char* argv[] = {arg0, nullptr};
    static auto* a = new QGuiApplication(argc, argv);
    return *a;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

const char* kHicolorIndex = "[Icon Theme]\nName=Hicolor\nDirectories=16x16/apps,48x48/apps,scalable/apps\n\n"
                            "[16x16/apps]\nSize=16\nType=Threshold\n\n[48x48/apps]\nSize=48\nType=Threshold\n\n"
                            "[scalable/apps]\nMinSize=1\nSize=128\nMaxSize=256\nType=Scalable\n";

const char* kRedSquare = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" viewBox=\"0 0 16 16\">"
                         "<rect width=\"16\" height=\"16\" fill=\"#ff0000\"/></svg>";

TEST(IconLookupTest, AnApplicationWhoseOnlyIconIsAnSvgShowsIt)
{
    app();
    const std::string data = test::makeTempDir("svg-only");
    writeFile(data + "/icons/hicolor/index.theme", kHicolorIndex);
    writeFile(data + "/icons/hicolor/scalable/apps/org.example.SvgOnly.svg", kRedSquare);
    ::setenv("XDG_DATA_DIRS", data.c_str(), 1);

    const QImage icon = ImageLoader::appIconImage("org.example.SvgOnly", 40, ImageLoader::IconTone::colour, 1.0);
    ASSERT_FALSE(icon.isNull()) << "the SVG icon was not found or not drawn";
    EXPECT_EQ(icon.size(), QSize(40, 40));
    EXPECT_EQ(icon.pixelColor(20, 20), QColor(Qt::red));
    // Given by its path, as an entry may, it draws as well.
    EXPECT_FALSE(ImageLoader::appIcon(QString::fromStdString(data + "/icons/hicolor/scalable/apps/org.example.SvgOnly.svg"), 20)
                     .isNull());
}

TEST(IconLookupTest, CurrentThemeAndItsParentsComeBeforeHicolorAndPixmapsLast)
{
    const std::string root = test::makeTempDir("themes");
    const std::string icons = root + "/icons";
    const std::string pixmaps = root + "/pixmaps";
    writeFile(icons + "/Mine/index.theme",
              "[Icon Theme]\nName=Mine\nInherits=Parent\nDirectories=48x48/apps\n[48x48/apps]\nSize=48\nType=Fixed\n");
    writeFile(icons + "/Mine/48x48/apps/a.png", "");
    writeFile(icons + "/Parent/index.theme", "[Icon Theme]\nName=Parent\nDirectories=scalable/apps\n"
                                             "[scalable/apps]\nSize=64\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    writeFile(icons + "/Parent/scalable/apps/b.svg", "");
    writeFile(icons + "/hicolor/index.theme", kHicolorIndex);
    for (const char* file : {"a.svg", "b.svg"})
        writeFile(icons + "/hicolor/scalable/apps/" + file, "");
    for (const char* file : {"c.png", "e.png"})
        writeFile(icons + "/hicolor/16x16/apps/" + file, "");
    writeFile(icons + "/hicolor/48x48/apps/e.png", "");
    // Listed nowhere in the index: not part of the theme.
    writeFile(icons + "/hicolor/unlisted/f.png", "");
    for (const char* file : {"c.png", "d.xpm", "f.png"})
        writeFile(pixmaps + "/" + file, "");

    const IconLookup lookup({root + "/nothing-here", icons}, {pixmaps}, {"Mine", "Parent"});
    // The current theme's icon, even at another size, before hicolor's exact one.
    EXPECT_EQ(lookup.find("a", 48), icons + "/Mine/48x48/apps/a.png");
    EXPECT_EQ(lookup.find("a", 20), icons + "/Mine/48x48/apps/a.png");
    EXPECT_EQ(lookup.find("b", 20), icons + "/Parent/scalable/apps/b.svg");
    // Of several sizes the one asked for, else the nearest.
    EXPECT_EQ(lookup.find("e", 48), icons + "/hicolor/48x48/apps/e.png");
    EXPECT_EQ(lookup.find("e", 17), icons + "/hicolor/16x16/apps/e.png");
    EXPECT_EQ(lookup.find("e", 30), icons + "/hicolor/16x16/apps/e.png");
    EXPECT_EQ(lookup.find("e", 40), icons + "/hicolor/48x48/apps/e.png");
    EXPECT_EQ(lookup.find("c", 128), icons + "/hicolor/16x16/apps/c.png") << "a themed icon before a pixmap";
    EXPECT_EQ(lookup.find("f", 16), pixmaps + "/f.png");
    // Names written with their extension, and paths as they stand.
    EXPECT_EQ(lookup.find("d.xpm", 32), pixmaps + "/d.xpm");
    EXPECT_EQ(lookup.find("c.png", 16), icons + "/hicolor/16x16/apps/c.png");
    EXPECT_EQ(lookup.find("/opt/tool/tool.png", 16), "/opt/tool/tool.png");
    EXPECT_EQ(lookup.find("missing", 16), "");
    EXPECT_EQ(lookup.find("../pixmaps/c", 16), "");
    EXPECT_EQ(lookup.find("", 16), "");

    // Without a theme of its own the desktop still has hicolor.
    EXPECT_EQ(IconLookup({icons}, {}, {""}).find("b", 20), icons + "/hicolor/scalable/apps/b.svg");
}

} // namespace
