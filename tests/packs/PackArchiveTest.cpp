// Reading an archive's own listing and judging it, and checking unpacked trees.
#include "ZipWriter.h"
#include "TestSupport.h"

#include "packs/PackArchiveInspector.h"
#include "packs/ZipListing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace plovane;
using plovane::test::ZipWriter;

namespace {

std::string writeArchive(const std::string& bytes, const std::string& name = "a.zip")
{
    const std::string path = test::makeTempDir("archives") + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

ZipListing listingOf(const ZipWriter& zip, std::uint64_t maxEntries = 2000)
{
    return ZipListing::read(writeArchive(zip.bytes()), maxEntries);
}

} // namespace

TEST(ZipListingTest, ReadsNamesSizesAndModesFromTheCentralDirectory)
{
    ZipWriter zip;
    zip.folder("Kiwi/").file("Kiwi/a.txt", "hello", 0100755).symlink("Kiwi/link", "/etc/passwd");
    zip.add({"Kiwi/big.bin", "x", 0100644, ZipWriter::Method::stored, 3'000'000'000ull});
    const auto listing = listingOf(zip);
    ASSERT_EQ(listing.status, ZipListing::Status::ok);
    ASSERT_EQ(listing.entries.size(), 4u);
    EXPECT_EQ(listing.entries[0].name, "Kiwi/");
    EXPECT_EQ(listing.entries[0].unixMode() & S_IFMT, S_IFDIR);
    EXPECT_EQ(listing.entries[1].uncompressedSize, 5u);
    EXPECT_EQ(listing.entries[1].unixMode(), 0100755u);
    EXPECT_EQ(listing.entries[1].hostSystem, 3);
    EXPECT_EQ(listing.entries[2].unixMode() & S_IFMT, S_IFLNK);
    EXPECT_EQ(listing.entries[3].uncompressedSize, 3'000'000'000ull);

    // Data in front of the archive (a self-extracting stub) moves every offset; the
    // directory is still found from the end.
    const auto prefixed = ZipListing::read(writeArchive(std::string(5000, 'S') + zip.bytes()), 2000);
    ASSERT_EQ(prefixed.status, ZipListing::Status::ok);
    EXPECT_EQ(prefixed.entries.size(), 4u);
    EXPECT_EQ(prefixed.entries[1].name, "Kiwi/a.txt");
}

TEST(ZipListingTest, TellsBrokenAndForeignFilesApart)
{
    const std::string good = test::packArchive("Kiwi", "{}").bytes();
    EXPECT_EQ(ZipListing::read(writeArchive("just some text, no archive at all"), 2000).status,
              ZipListing::Status::notZip);
    EXPECT_EQ(ZipListing::read(writeArchive(""), 2000).status, ZipListing::Status::notZip);
    EXPECT_EQ(ZipListing::read(test::makeTempDir("archives") + "/missing.zip", 2000).status,
              ZipListing::Status::unreadable);
    EXPECT_EQ(ZipListing::read(test::makeTempDir("a-folder"), 2000).status, ZipListing::Status::notZip);

    // The end record survives but the directory it points at is cut away.
    std::string cut = good;
    const auto directory = cut.find("PK\x01\x02");
    cut.erase(directory, 60);
    EXPECT_EQ(ZipListing::read(writeArchive(cut), 2000).status, ZipListing::Status::corrupt);

    // A FIFO picked as the archive must not hang the listing.
    const std::string fifo = test::makeTempDir("fifo") + "/pipe.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ZipListing::read(fifo, 2000).status, ZipListing::Status::notZip);
}

TEST(ZipListingTest, StopsAtTheEntryLimitAndCountsEntriesBeyondTheDeclaredNumber)
{
    ZipWriter many;
    for (int i = 0; i < 30; ++i)
        many.file("p/f" + std::to_string(i), "");
    EXPECT_EQ(listingOf(many, 29).status, ZipListing::Status::tooManyEntries);
    EXPECT_EQ(listingOf(many, 30).status, ZipListing::Status::ok);

    // An end record that declares 2 entries while the directory holds 30: all 30 count.
    std::string bytes = many.bytes();
    const auto end = bytes.rfind("PK\x05\x06");
    bytes[end + 8] = 2;
    bytes[end + 10] = 2;
    const auto lying = ZipListing::read(writeArchive(bytes), 10);
    EXPECT_EQ(lying.status, ZipListing::Status::tooManyEntries);
}

TEST(PackArchiveInspectorTest, EntryNamesMustStayInsideTheFolder)
{
    for (const char* name : {"Kiwi/a.png", "./Kiwi/a.png", ".hidden/manifest.json", "..a", "a..b/c", "Kiwi//x"})
        EXPECT_TRUE(isContainedEntryName(name)) << name;
    for (const char* name : {"../x", "Kiwi/../../x", "Kiwi/..", "..", "/etc/x", "//x", "\\x", "Kiwi\\..\\..\\x", ""})
        EXPECT_FALSE(isContainedEntryName(name)) << name;
    EXPECT_FALSE(isContainedEntryName(std::string("Kiwi/a\0/../../x", 16)));
}

TEST(PackArchiveInspectorTest, JudgesTheListingBeforeAnythingIsUnpacked)
{
    const PackLimits limits;
    EXPECT_EQ(inspectArchive(listingOf(test::packArchive("Kiwi", "{}")), limits), PackVerdict::ok);

    EXPECT_EQ(inspectArchive(listingOf(test::packArchive("Kiwi", "{}").file("../evil", "x")), limits),
              PackVerdict::pathOutside);
    EXPECT_EQ(inspectArchive(listingOf(ZipWriter().file("/tmp/evil", "x")), limits), PackVerdict::pathOutside);
    for (std::uint32_t type : {0120000u, 0020000u, 0060000u, 0010000u, 0140000u}) {
        EXPECT_EQ(inspectArchive(listingOf(ZipWriter().file("Kiwi/x", "", type | 0644)), limits),
                  PackVerdict::linkOrSpecialFile)
            << std::oct << type;
    }
    // Modes without a type (archives from systems without Unix modes) are plain files.
    EXPECT_EQ(inspectArchive(listingOf(ZipWriter().file("Kiwi/x", "", 0)), limits), PackVerdict::ok);

    // Sizes add up; one entry far above the limit, or many that together pass it.
    EXPECT_EQ(inspectArchive(listingOf(ZipWriter().add({"big", "", 0100644, ZipWriter::Method::stored,
                                                         4'000'000'000ull})),
                             limits),
              PackVerdict::tooLarge);
    ZipWriter many;
    for (int i = 0; i < 5; ++i)
        many.add({"f" + std::to_string(i), "", 0100644, ZipWriter::Method::stored, 15ull << 20});
    EXPECT_EQ(inspectArchive(listingOf(many), limits), PackVerdict::tooLarge);
    EXPECT_EQ(inspectArchive(listingOf(many), PackLimits{80ull << 20, 2000}), PackVerdict::ok);

    // Folders that entry paths imply count as entries too: 3 files and 4 folders on disk.
    ZipWriter deep;
    deep.file("a/b/c/1", "").file("a/b/c/2", "").folder("a/d/").file("a/d/3", "");
    EXPECT_EQ(inspectArchive(listingOf(deep), PackLimits{1 << 20, 7}), PackVerdict::ok);
    EXPECT_EQ(inspectArchive(listingOf(deep), PackLimits{1 << 20, 6}), PackVerdict::tooManyEntries);
}

TEST(PackArchiveInspectorTest, SurveysUnpackedTreesWithoutFollowingLinks)
{
    namespace fs = std::filesystem;
    const std::string root = test::makeTempDir("tree");
    fs::create_directories(root + "/p/sub");
    std::ofstream(root + "/p/a") << std::string(100, 'a');
    std::ofstream(root + "/p/sub/b") << std::string(50, 'b');
    const PackLimits limits;

    auto survey = surveyTree(root, limits, OpenUpFolders::yes);
    EXPECT_FALSE(survey.failed);
    EXPECT_EQ(survey.entries, 4u);
    EXPECT_EQ(survey.bytes, 150u);
    EXPECT_EQ(inspectUnpackedTree(survey, limits), PackVerdict::ok);
    EXPECT_EQ(inspectUnpackedTree(survey, PackLimits{149, 2000}), PackVerdict::tooLarge);
    EXPECT_EQ(inspectUnpackedTree(survey, PackLimits{1000, 3}), PackVerdict::tooManyEntries);

    // A link to a big folder outside adds nothing but is itself refused.
    fs::create_directory_symlink("/usr", root + "/p/sub/usr");
    survey = surveyTree(root, limits, OpenUpFolders::yes);
    EXPECT_TRUE(survey.hasLinkOrSpecialFile);
    EXPECT_EQ(inspectUnpackedTree(survey, limits), PackVerdict::linkOrSpecialFile);
    fs::remove(root + "/p/sub/usr");
    ASSERT_EQ(::mkfifo((root + "/p/fifo").c_str(), 0600), 0);
    EXPECT_EQ(inspectUnpackedTree(surveyTree(root, limits, OpenUpFolders::yes), limits),
              PackVerdict::linkOrSpecialFile);
}

TEST(PackArchiveInspectorTest, RemovesTreesThatAnArchiveLeftClosed)
{
    namespace fs = std::filesystem;
    const std::string root = test::makeTempDir("closed") + "/qn_import_X";
    fs::create_directories(root + "/p/inner");
    std::ofstream(root + "/p/inner/f") << "x";
    // Outside the tree, reached through a link inside it: must survive the removal.
    const std::string outside = test::makeTempDir("outside") + "/keep.txt";
    std::ofstream(outside) << "keep";
    fs::create_symlink(fs::path(outside).parent_path(), root + "/p/link");
    ::chmod((root + "/p/inner").c_str(), 0);
    ::chmod((root + "/p").c_str(), 0);

    removeTree(root);
    EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
    EXPECT_TRUE(fs::exists(outside));
}
