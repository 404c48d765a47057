#include "packs/PackSprites.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

namespace plovane {
namespace {

constexpr std::array<unsigned char, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// The signature, the first chunk's length and type, then the width and height.
constexpr std::size_t kHeaderBytes = 24;

std::uint32_t bigEndian32(const unsigned char* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

bool isSpriteName(std::string_view name)
{
    return name.starts_with("sprite_") && name.size() > 11 && name.ends_with(".png");
}

} // namespace

std::optional<PixelSize> readPngSize(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::array<unsigned char, kHeaderBytes> header{};
    std::size_t got = 0;
    while (got < header.size()) {
        const ssize_t n = ::read(fd, header.data() + got, header.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    // The first chunk of every PNG is IHDR, 13 bytes long; neither side may be zero.
    if (got < header.size() || std::memcmp(header.data(), kPngSignature.data(), kPngSignature.size()) != 0 ||
        bigEndian32(header.data() + 8) != 13 || std::memcmp(header.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const PixelSize size{bigEndian32(header.data() + 16), bigEndian32(header.data() + 20)};
    if (size.width == 0 || size.height == 0)
        return std::nullopt;
    return size;
}

PackVerdict inspectPackSprites(const std::string& packFolder, const PackLimits& limits, std::error_code& error,
                               const SpriteDecoder& decodes)
{
    DIR* dir = ::opendir(packFolder.c_str());
    if (!dir) {
        error = {errno, std::generic_category()};
        return PackVerdict::unreadable;
    }
    PackVerdict verdict = PackVerdict::ok;
    std::vector<std::string> sprites;
    while (const dirent* item = ::readdir(dir)) {
        if (!isSpriteName(item->d_name))
            continue;
        const std::string path = packFolder + "/" + item->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const auto size = readPngSize(path);
        if (!size) {
            verdict = PackVerdict::spriteNotPng;
            break;
        }
        if (size->width > limits.maxSpriteSide || size->height > limits.maxSpriteSide)
            verdict = PackVerdict::spriteTooLarge;
        sprites.push_back(path);
    }
    ::closedir(dir);
    if (verdict != PackVerdict::ok || !decodes)
        return verdict;
    for (const std::string& path : sprites)
        if (!decodes(path))
            return PackVerdict::spriteDoesNotDecode;
    return verdict;
}

} // namespace plovane
