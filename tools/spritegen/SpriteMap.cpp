#include "SpriteMap.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace plovane::spritegen {

namespace {

constexpr char kTransparent = '.';
constexpr char kKeep = '~';

class Reader {
public:
    Reader(std::string_view text, const std::string& sourceName)
        : m_text{text}
        , m_source{sourceName}
    {
    }

    // The next line without comment and surrounding blanks; false at the end.
    bool next(std::string& line)
    {
        while (m_pos != std::string_view::npos) {
            const std::size_t end = m_text.find('\n', m_pos);
            std::string_view raw = m_text.substr(m_pos, end == std::string_view::npos ? end : end - m_pos);
            m_pos = end == std::string_view::npos ? end : end + 1;
            ++m_line;
            raw.remove_prefix(std::min(raw.find_first_not_of(" \t"), raw.size()));
            // '#' is a comment everywhere but inside a pixel row.
            if (!raw.starts_with('|'))
                raw = raw.substr(0, raw.find('#'));
            const std::size_t last = raw.find_last_not_of(" \t\r");
            if (last == std::string_view::npos)
                continue;
            line = std::string{raw.substr(0, last + 1)};
            return true;
        }
        return false;
    }

    [[noreturn]] void fail(const std::string& message) const
    {
        throw std::runtime_error(m_source + ":" + std::to_string(m_line) + ": " + message);
    }

private:
    std::string_view m_text;
    std::string m_source;
    std::size_t m_pos{};
    int m_line{};
};

std::optional<Rgba> parseColour(const std::string& hex)
{
    if (hex.size() != 6 && hex.size() != 8)
        return std::nullopt;
    if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::stoul(hex, nullptr, 16);
    const unsigned long rgba = hex.size() == 6 ? (value << 8) | 0xff : value;
    return Rgba{static_cast<std::uint8_t>(rgba >> 24), static_cast<std::uint8_t>(rgba >> 16),
                static_cast<std::uint8_t>(rgba >> 8), static_cast<std::uint8_t>(rgba)};
}

// "|....|" -> "....", or nothing when the line is not a pixel row.
std::optional<std::string> rowBody(const std::string& line)
{
    if (line.size() < 2 || line.front() != '|' || line.back() != '|')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

class SpriteParser {
public:
    SpriteParser(std::string_view text, const Palette& palette, const std::string& sourceName)
        : m_reader{text, sourceName}
        , m_palette{palette}
    {
    }

    Sprite parse()
    {
        std::string line;
        while (m_reader.next(line)) {
            std::istringstream words{line};
            std::string keyword;
            words >> keyword;
            if (const auto row = rowBody(line))
                putRow(*row);
            else if (keyword == "still" && !m_inStill && m_stillRows == 0 && words.eof())
                m_inStill = true;
            else if (keyword == "frame")
                startFrame(readInts<1>(words)[0]);
            else if (keyword == "shift" && m_frame)
                shift(readInts<2>(words));
            else if (keyword == "at" && m_frame)
                placeOverlay(readInts<2>(words));
            else
                m_reader.fail("unexpected \"" + line + "\"");
        }
        finishFrame();
        if (m_stillRows != kSpriteSize)
            m_reader.fail("the still needs " + std::to_string(kSpriteSize) + " rows, found " + std::to_string(m_stillRows));
        return std::move(m_sprite);
    }

private:
    template <std::size_t N>
    std::array<int, N> readInts(std::istringstream& words)
    {
        std::array<int, N> values{};
        for (int& v : values) {
            if (!(words >> v))
                m_reader.fail("expected " + std::to_string(N) + " whole numbers");
        }
        std::string extra;
        if (words >> extra)
            m_reader.fail("unexpected \"" + extra + "\"");
        return values;
    }

    Rgba colourOf(char c)
    {
        if (c == kTransparent)
            return {};
        const auto it = m_palette.find(c);
        if (it == m_palette.end())
            m_reader.fail(std::string{"'"} + c + "' is not in the palette");
        return it->second;
    }

    void putRow(const std::string& row)
    {
        if (m_inStill) {
            if (static_cast<int>(row.size()) != kSpriteSize)
                m_reader.fail("a row needs " + std::to_string(kSpriteSize) + " pixels, found " + std::to_string(row.size()));
            if (m_stillRows == kSpriteSize)
                m_reader.fail("the still has more than " + std::to_string(kSpriteSize) + " rows");
            for (int x = 0; x < kSpriteSize; ++x)
                m_sprite.still.set(x, m_stillRows, colourOf(row[x]));
            ++m_stillRows;
            return;
        }
        if (!m_overlay)
            m_reader.fail("pixel rows belong after \"still\" or after \"at <x> <y>\" in a frame");
        auto& [left, top] = *m_overlay;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int x = left + static_cast<int>(i);
            if (!m_frame->contains(x, top))
                m_reader.fail("overlay pixel (" + std::to_string(x) + ", " + std::to_string(top) + ") is outside the sprite");
            if (row[i] != kKeep)
                m_frame->set(x, top, colourOf(row[i]));
        }
        ++top;
    }

    void startFrame(int number)
    {
        if (m_stillRows != kSpriteSize)
            m_reader.fail("frames come after a complete still");
        finishFrame();
        if (number != static_cast<int>(m_sprite.frames.size()) + 1)
            m_reader.fail("expected frame " + std::to_string(m_sprite.frames.size() + 1));
        m_inStill = false;
        m_frame = m_sprite.still;
    }

    void shift(std::array<int, 2> by)
    {
        m_frame = m_frame->shifted(by[0], by[1]);
        m_overlay.reset();
    }

    void placeOverlay(std::array<int, 2> at) { m_overlay = std::pair{at[0], at[1]}; }

    void finishFrame()
    {
        if (m_frame)
            m_sprite.frames.push_back(std::move(*m_frame));
        m_frame.reset();
        m_overlay.reset();
    }

    Reader m_reader;
    const Palette& m_palette;
    Sprite m_sprite{Image{kSpriteSize, kSpriteSize}, {}};
    bool m_inStill{};
    int m_stillRows{};
    std::optional<Image> m_frame;
    std::optional<std::pair<int, int>> m_overlay;
};

} // namespace

void readPalette(std::string_view text, const std::string& sourceName, Palette& palette)
{
    Reader reader{text, sourceName};
    std::string line;
    while (reader.next(line)) {
        std::istringstream words{line};
        std::string name;
        std::string hex;
        std::string extra;
        words >> name >> hex;
        if (name.size() != 1 || (words >> extra))
            reader.fail("expected \"<char> rrggbb[aa]\"");
        const char c = name[0];
        if (c == kTransparent || c == kKeep || c == '|' || c == '#')
            reader.fail(std::string{"'"} + c + "' is reserved");
        const auto colour = parseColour(hex);
        if (!colour)
            reader.fail("\"" + hex + "\" is not an rrggbb or rrggbbaa colour");
        if (!palette.emplace(c, *colour).second)
            reader.fail(std::string{"'"} + c + "' is already in the palette");
    }
}

Sprite parseSprite(std::string_view text, const Palette& palette, const std::string& sourceName)
{
    return SpriteParser{text, palette, sourceName}.parse();
}

} // namespace plovane::spritegen
