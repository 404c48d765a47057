#include "Image.h"

namespace plovane::spritegen {

Image::Image(int width, int height, Rgba fill)
    : m_width{width}
    , m_height{height}
    , m_pixels(static_cast<std::size_t>(width) * height, fill)
{
}

Image Image::shifted(int dx, int dy) const
{
    Image out{m_width, m_height};
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (contains(x - dx, y - dy))
                out.set(x, y, at(x - dx, y - dy));
        }
    }
    return out;
}

Image Image::scaled(int factor) const
{
    Image out{m_width * factor, m_height * factor};
    for (int y = 0; y < out.m_height; ++y) {
        for (int x = 0; x < out.m_width; ++x)
            out.set(x, y, at(x / factor, y / factor));
    }
    return out;
}

namespace {

std::uint8_t mix(std::uint8_t over, std::uint8_t under, int alpha)
{
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

} // namespace

void Image::drawOver(const Image& source, int left, int top)
{
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            if (!contains(left + x, top + y))
                continue;
            const Rgba over = source.at(x, y);
            const Rgba under = at(left + x, top + y);
            // Opaque destinations are all the contact sheet needs; keep the maths simple.
            set(left + x, top + y,
                Rgba{mix(over.r, under.r, over.a), mix(over.g, under.g, over.a), mix(over.b, under.b, over.a),
                     static_cast<std::uint8_t>(over.a + under.a * (255 - over.a) / 255)});
        }
    }
}

} // namespace plovane::spritegen
