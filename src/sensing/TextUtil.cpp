#include "sensing/TextUtil.h"

#include <cstdint>

namespace plovane {

namespace {

bool isWhitespace(char32_t c)
{
    switch (c) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

// Decodes the code point starting at `i`; sets `length` to its byte count. Malformed
// input decodes as one byte of U+FFFD, which is never whitespace.
char32_t decodeAt(std::string_view s, std::size_t i, std::size_t& length)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    length = 1;
    if (b0 < 0x80)
        return b0;
    std::size_t need = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (need == 0 || i + need > s.size())
        return 0xFFFD;
    char32_t c = b0 & (0x7F >> need);
    for (std::size_t k = 1; k < need; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (b & 0x3F);
    }
    length = need;
    return c;
}

// Length of the code point that ends at byte `end` (exclusive), or 1 when malformed.
std::size_t lengthBefore(std::string_view s, std::size_t end)
{
    std::size_t start = end - 1;
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
        --start;
    std::size_t length = 0;
    decodeAt(s, start, length);
    return start + length == end ? end - start : 1;
}

} // namespace

std::string_view trimWhitespace(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t length = 0;
        if (!isWhitespace(decodeAt(text, begin, length)))
            break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t length = lengthBefore(text, end);
        std::size_t decoded = 0;
        if (!isWhitespace(decodeAt(text, end - length, decoded)))
            break;
        end -= length;
    }
    return text.substr(begin, end - begin);
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        std::size_t need = 0;
        char32_t min = 0;
        if ((b0 & 0xE0) == 0xC0) {
            need = 2;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            need = 3;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            need = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + need > bytes.size())
            return false;
        char32_t c = b0 & (0x7F >> need);
        for (std::size_t k = 1; k < need; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += need;
    }
    return true;
}

} // namespace plovane
