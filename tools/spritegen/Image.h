#pragma once

#include <cstdint>
#include <vector>

namespace plovane::spritegen {

struct Rgba {
    std::uint8_t r{};
    std::uint8_t g{};
    std::uint8_t b{};
    std::uint8_t a{};

    bool operator==(const Rgba&) const = default;
};

// A straight-alpha RGBA raster, row by row from the top.
class Image {
public:
    Image() = default;
    Image(int width, int height, Rgba fill = {});

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::vector<Rgba>& pixels() const { return m_pixels; }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    Rgba at(int x, int y) const { return m_pixels[index(x, y)]; }
    void set(int x, int y, Rgba colour) { m_pixels[index(x, y)] = colour; }

    // Every pixel moved by (dx, dy); what moves in from outside is transparent.
    Image shifted(int dx, int dy) const;
    // Nearest-neighbour enlargement, so pixel art keeps hard edges.
    Image scaled(int factor) const;
    // Draws `source` with its top-left corner at (x, y), blending over what is there.
    void drawOver(const Image& source, int x, int y);

    bool operator==(const Image&) const = default;

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }

    int m_width{};
    int m_height{};
    std::vector<Rgba> m_pixels;
};

} // namespace plovane::spritegen
