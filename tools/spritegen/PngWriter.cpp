#include "PngWriter.h"

#include <fstream>
#include <stdexcept>

#include <zlib.h>

namespace plovane::spritegen {

namespace {

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data and a CRC over type and data.
void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data)
{
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
    putBigEndian(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> compressedRows(const Image& image)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(image.height()) * (1 + 4 * image.width()));
    for (int y = 0; y < image.height(); ++y) {
        raw.push_back(0); // filter type: none
        for (int x = 0; x < image.width(); ++x) {
            const Rgba p = image.at(x, y);
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress the image");
    packed.resize(size);
    return packed;
}

} // namespace

std::vector<std::uint8_t> encodePng(const Image& image)
{
    if (image.width() <= 0 || image.height() <= 0)
        throw std::invalid_argument("a PNG needs at least one pixel");
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(image.width()));
    putBigEndian(header, static_cast<std::uint32_t>(image.height()));
    // bit depth 8, colour type 6 (RGBA), deflate, adaptive filtering, no interlace
    header.insert(header.end(), {8, 6, 0, 0, 0});
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", compressedRows(image));
    putChunk(out, "IEND", {});
    return out;
}

void writePng(const Image& image, const std::string& path)
{
    const std::vector<std::uint8_t> bytes = encodePng(image);
    std::ofstream file{path, std::ios::binary | std::ios::trunc};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace plovane::spritegen
