#include "ZipWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace plovane::test {
namespace {

void put16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string deflateRaw(const std::string& data)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

ZipWriter& ZipWriter::file(std::string name, std::string data, std::uint32_t mode)
{
    return add({std::move(name), std::move(data), mode});
}

ZipWriter& ZipWriter::folder(std::string name)
{
    return add({std::move(name), {}, 040755});
}

ZipWriter& ZipWriter::symlink(std::string name, std::string target)
{
    return add({std::move(name), std::move(target), 0120777});
}

ZipWriter& ZipWriter::add(Entry entry)
{
    entries_.push_back(std::move(entry));
    return *this;
}

std::string ZipWriter::bytes() const
{
    std::string out;
    std::string directory;
    for (const auto& e : entries_) {
        const std::uint32_t crc =
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
        const std::string body = e.method == Method::deflated ? deflateRaw(e.data) : e.data;
        const auto size = static_cast<std::uint32_t>(e.declaredSize.value_or(e.data.size()) > 0xFFFFFFFEull
                                                         ? 0xFFFFFFFEull
                                                         : e.declaredSize.value_or(e.data.size()));
        const std::uint32_t method = e.method == Method::deflated ? 8 : 0;
        const auto offset = static_cast<std::uint32_t>(out.size());

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(body.size()));
        put32(out, size);
        put16(out, static_cast<std::uint32_t>(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += body;

        put32(directory, 0x02014b50);
        put16(directory, (3u << 8) | 30u); // made on Unix
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, method);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, static_cast<std::uint32_t>(body.size()));
        put32(directory, size);
        put16(directory, static_cast<std::uint32_t>(e.name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, e.mode << 16);
        put32(directory, offset);
        directory += e.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    const auto count = static_cast<std::uint32_t>(entries_.size() > 0xFFFF ? 0xFFFF : entries_.size());
    put16(out, count);
    put16(out, count);
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

void ZipWriter::write(const std::string& path) const
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes();
}

std::string tinyPng()
{
    // A 1 x 1 opaque pixel.
    static const unsigned char png[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4,
        0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
        0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF, 0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
        0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    return {reinterpret_cast<const char*>(png), sizeof png};
}

std::string pngHeaderOfSize(std::uint32_t width, std::uint32_t height)
{
    const auto bigEndian = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    // 8-bit RGBA, no interlace.
    const std::string chunk = "IHDR" + bigEndian(width) + bigEndian(height) + std::string("\x08\x06\0\0\0", 5);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size()));
    return std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + chunk + bigEndian(static_cast<std::uint32_t>(crc));
}

std::string pngOfSize(std::uint32_t width, std::uint32_t height)
{
    const auto bigEndian = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const auto chunk = [&](const std::string& typeAndData) {
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                               static_cast<uInt>(typeAndData.size()));
        return bigEndian(static_cast<std::uint32_t>(typeAndData.size() - 4)) + typeAndData +
               bigEndian(static_cast<std::uint32_t>(crc));
    };
    // Each row: filter "none", then RGBA pixels, all zero.
    const std::string raw(static_cast<std::size_t>(height) * (1 + 4 * static_cast<std::size_t>(width)), '\0');
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    return pngHeaderOfSize(width, height) + chunk("IDAT" + packed) + chunk("IEND");
}

ZipWriter packArchive(const std::string& folder, const std::string& manifest)
{
    ZipWriter zip;
    zip.folder(folder + "/");
    zip.file(folder + "/manifest.json", manifest);
    for (const char* key : {"deep_dive", "reading", "hovering", "resting", "critical"})
        zip.file(folder + "/sprite_" + key + "_32.png", tinyPng());
    return zip;
}

} // namespace plovane::test
