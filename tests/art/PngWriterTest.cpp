#include "PngWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace plovane::spritegen;

namespace {

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) | (std::uint32_t{bytes[at + 2]} << 8)
        | bytes[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG into its chunks, checking the signature and every CRC on the way.
std::vector<Chunk> readChunks(const std::vector<std::uint8_t>& png)
{
    const std::vector<std::uint8_t> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    std::vector<Chunk> chunks;
    std::size_t at = signature.size();
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndian(png, at);
        const auto typeAndData = png.begin() + static_cast<std::ptrdiff_t>(at + 4);
        EXPECT_EQ(crc32(0L, &png[at + 4], length + 4), bigEndian(png, at + 8 + length));
        chunks.push_back({std::string(typeAndData, typeAndData + 4),
                          std::vector<std::uint8_t>(typeAndData + 4, typeAndData + 4 + length)});
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size()) << "trailing bytes after the last chunk";
    return chunks;
}

} // namespace

TEST(PngWriterTest, WritesRgbaRowsThatDecodeToTheSamePixels)
{
    Image image{3, 2};
    image.set(0, 0, {255, 0, 0, 255});
    image.set(2, 0, {1, 2, 3, 4});
    image.set(1, 1, {0, 0, 255, 128});

    const auto chunks = readChunks(encodePng(image));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());

    const auto& header = chunks[0].data;
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(bigEndian(header, 0), 3u);
    EXPECT_EQ(bigEndian(header, 4), 2u);
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin() + 8, header.end()), (std::vector<std::uint8_t>{8, 6, 0, 0, 0}));

    std::vector<std::uint8_t> raw(2 * (1 + 3 * 4));
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, chunks[1].data.data(), chunks[1].data.size()), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    const std::vector<std::uint8_t> expected{
        0, 255, 0, 0, 255, 0, 0, 0, 0, 1, 2, 3, 4, //
        0, 0, 0, 0, 0, 0, 0, 255, 128, 0, 0, 0, 0,
    };
    EXPECT_EQ(raw, expected);
}

TEST(PngWriterTest, SamePixelsGiveSameBytesAndEmptyImagesAreRefused)
{
    Image a{32, 32, {10, 20, 30, 255}};
    Image b = a;
    EXPECT_EQ(encodePng(a), encodePng(b));
    b.set(31, 31, {10, 20, 31, 255});
    EXPECT_NE(encodePng(a), encodePng(b));

    EXPECT_THROW(encodePng(Image{}), std::invalid_argument);
    EXPECT_THROW(writePng(a, "/nonexistent-folder/x.png"), std::runtime_error);
}
