#include "platform/qt/ImageStore.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

using namespace plovane;

namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char arg0[] = "image-store-tests";
    static char* argv[] = {arg0, nullptr};
    static auto* a = new QGuiApplication(argc, argv);
    return *a;
}

// Writes a solid 8×8 picture and stamps it `second` seconds into 2020, as a later write would.
void writeSolid(const std::string& path, QColor colour, int second)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    const timespec t{1577836800 + second, 0};
    const timespec times[2] = {t, t};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

QColor centre(const QImage& image) { return image.pixelColor(image.width() / 2, image.height() / 2); }

struct StoreTest : ::testing::Test {
    void SetUp() override { app(); }
    QTemporaryDir dir;
    double clock = 100.0;
    std::string file(const char* name) const { return dir.path().toStdString() + "/" + name; }
    ImageStore makeStore(ImageStore::Limits limits = {}) { return ImageStore(limits, [this] { return clock; }); }
};

} // namespace

TEST_F(StoreTest, ARewrittenFileShowsAnewOnceRecheckedAndWhatWasMadeFromItIsRemade)
{
    ImageStore store = makeStore();
    const std::string path = file("pet.png");
    writeSolid(path, Qt::red, 1);
    int made = 0;
    auto grey = [&](const QImage& source) { ++made; return source.convertToFormat(QImage::Format_Grayscale8); };
    EXPECT_EQ(centre(store.image(path)), QColor(Qt::red));
    store.derived(path, "grey", grey);
    store.derived(path, "grey", grey);
    EXPECT_EQ(made, 1) << "made once per version";

    writeSolid(path, Qt::blue, 2);
    EXPECT_EQ(centre(store.image(path)), QColor(Qt::red)) << "the disk is not looked at again within a second";
    clock += 1.1;
    EXPECT_EQ(centre(store.image(path)), QColor(Qt::blue));
    store.derived(path, "grey", grey);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(store.decodeCount(), 2u);

    // Many asks within the interval decode nothing more.
    for (int i = 0; i < 100; ++i)
        store.image(path);
    EXPECT_EQ(store.decodeCount(), 2u);
}

TEST_F(StoreTest, DeletedMissingAndUndecodableFiles)
{
    ImageStore store = makeStore();
    const std::string path = file("frame.png");
    writeSolid(path, Qt::green, 1);
    ASSERT_TRUE(store.keyFor(path));
    std::remove(path.c_str());
    clock += 1.0;
    EXPECT_FALSE(store.keyFor(path));
    EXPECT_TRUE(store.image(path).isNull());
    EXPECT_FALSE(store.contains(path)) << "a missing file leaves nothing behind";

    // A file that is no image is kept as such: not decoded again until it changes.
    const std::string junk = file("junk.png");
    std::FILE* f = std::fopen(junk.c_str(), "w");
    std::fputs("not a picture", f);
    std::fclose(f);
    EXPECT_TRUE(store.keyFor(junk));
    EXPECT_TRUE(store.image(junk).isNull());
    const std::size_t decodes = store.decodeCount();
    clock += 5.0;
    store.image(junk);
    EXPECT_EQ(store.decodeCount(), decodes);
    EXPECT_TRUE(store.derived(junk, "x", [](const QImage&) { return QImage(1, 1, QImage::Format_ARGB32); }).isNull());
    EXPECT_TRUE(store.keyFor(dir.path().toStdString()) == std::nullopt) << "a folder is no image file";
}

TEST_F(StoreTest, BoundsDropTheLeastRecentlyUsed)
{
    ImageStore store = makeStore({.files = 2, .derived = 3, .named = 2});
    writeSolid(file("a.png"), Qt::red, 1);
    writeSolid(file("b.png"), Qt::green, 1);
    writeSolid(file("c.png"), Qt::blue, 1);
    store.image(file("a.png"));
    store.image(file("b.png"));
    store.image(file("a.png")); // a is now the most recent
    store.image(file("c.png"));
    EXPECT_EQ(store.fileCount(), 2u);
    EXPECT_TRUE(store.contains(file("a.png")));
    EXPECT_FALSE(store.contains(file("b.png")));

    auto same = [](const QImage& i) { return i; };
    store.derived(file("a.png"), "1", same);
    store.derived(file("a.png"), "2", same);
    store.derived(file("c.png"), "1", same);
    store.derived(file("c.png"), "2", same);
    EXPECT_EQ(store.derivedCount(), 3u);

    int made = 0;
    auto make = [&] { ++made; return QImage(1, 1, QImage::Format_ARGB32); };
    store.named("x", make);
    store.named("y", make);
    store.named("x", make);
    store.named("z", make); // y goes
    store.named("x", make);
    EXPECT_EQ(made, 3);
    EXPECT_EQ(store.namedCount(), 2u);
}
