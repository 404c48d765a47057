#include "platform/qt/ServerPictures.h"

#include "platform/qt/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace plovane {

namespace {

// Whether the server stores 32-bit pixels as QImage's premultiplied ARGB does: a visual
// of depth 32 with red, green and blue where ARGB32 has them, 32 bits per pixel, and the
// byte order of this machine.
bool takesOurPixels(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                    : XCB_IMAGE_ORDER_MSB_FIRST))
        return false;
    bool format = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        format |= f.data->depth == 32 && f.data->bits_per_pixel == 32;
    if (!format)
        return false;

    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    bool ok = attributes && geometry && geometry->depth == 32;
    const xcb_visualid_t visual = attributes ? attributes->visual : 0;
    std::free(attributes);
    std::free(geometry);
    if (!ok)
        return false;
    ok = false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != 32)
                continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    ok = v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
        }
    return ok;
}

class X11Pictures final : public ServerPictures {
public:
    X11Pictures(xcb_connection_t* c, xcb_window_t window) : c_(c), window_(window)
    {
        gc_ = xcb_generate_id(c_);
        // No exposure events for copies: they would wake us for nothing on every frame.
        const uint32_t noExposures = 0;
        xcb_create_gc(c_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }

    ~X11Pictures() override
    {
        // The connection goes with the application; without it there is nothing to free.
        if (!qApp)
            return;
        clear();
        xcb_free_gc(c_, gc_);
        xcb_flush(c_);
    }

    bool put(int slot, const QImage& image) override
    {
        if (slot < 0 || image.isNull() || image.width() > 0x7fff || image.height() > 0x7fff)
            return false;
        const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (static_cast<std::size_t>(slot) >= pictures_.size())
            pictures_.resize(static_cast<std::size_t>(slot) + 1);
        Picture& picture = pictures_[static_cast<std::size_t>(slot)];
        if (picture.id && picture.size != pixels.size()) {
            xcb_free_pixmap(c_, picture.id);
            picture.id = 0;
        }
        const auto w = static_cast<uint16_t>(pixels.width());
        const auto h = static_cast<uint16_t>(pixels.height());
        if (!picture.id) {
            // Checked: a server short of memory says so here, not later on every copy.
            const xcb_pixmap_t id = xcb_generate_id(c_);
            if (xcb_generic_error_t* error = xcb_request_check(c_, xcb_create_pixmap_checked(c_, 32, id, window_, w, h))) {
                std::free(error);
                return false;
            }
            picture.id = id;
            picture.size = pixels.size();
        }
        upload(picture.id, pixels, QPoint(0, 0));
        return true;
    }

    void patch(int slot, const QImage& part, const QPoint& at) override
    {
        if (!has(slot) || part.isNull())
            return;
        const Picture& picture = pictures_[static_cast<std::size_t>(slot)];
        if (!QRect(QPoint(0, 0), picture.size).contains(QRect(at, part.size())))
            return;
        upload(picture.id, part.convertToFormat(QImage::Format_ARGB32_Premultiplied), at);
    }

    bool has(int slot) const override
    {
        return slot >= 0 && static_cast<std::size_t>(slot) < pictures_.size() &&
               pictures_[static_cast<std::size_t>(slot)].id != 0;
    }

    void draw(int slot, const QPoint& at, const QRect& area) override
    {
        if (!has(slot))
            return;
        const Picture& picture = pictures_[static_cast<std::size_t>(slot)];
        const QRect box = area & QRect(at, picture.size);
        if (box.isEmpty())
            return;
        xcb_copy_area(c_, picture.id, window_, gc_, static_cast<int16_t>(box.x() - at.x()),
                      static_cast<int16_t>(box.y() - at.y()), static_cast<int16_t>(box.x()),
                      static_cast<int16_t>(box.y()), static_cast<uint16_t>(box.width()),
                      static_cast<uint16_t>(box.height()));
        xcb_flush(c_);
    }

    void clear() override
    {
        for (Picture& picture : pictures_)
            if (picture.id)
                xcb_free_pixmap(c_, picture.id);
        pictures_.clear();
    }

private:
    // Sends `pixels` into `pixmap` at `at`, in bands that fit one request whatever the
    // server's limit.
    void upload(xcb_pixmap_t pixmap, const QImage& pixels, const QPoint& at)
    {
        const auto w = static_cast<uint16_t>(pixels.width());
        const int h = pixels.height();
        const std::size_t stride = static_cast<std::size_t>(w) * 4;
        const std::size_t limit = static_cast<std::size_t>(xcb_get_maximum_request_length(c_)) * 4 - 64;
        const int rowsPerBand = static_cast<int>(std::max<std::size_t>(1, limit / stride));
        // 32-bit rows are never padded: a band of rows is one run of bytes.
        for (int y = 0; y < h; y += rowsPerBand) {
            const int rows = std::min(rowsPerBand, h - y);
            const uint8_t* data = pixels.constScanLine(y);
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc_, w, static_cast<uint16_t>(rows),
                          static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y() + y), 0, 32,
                          static_cast<uint32_t>(stride * static_cast<std::size_t>(rows)), data);
        }
    }

    struct Picture {
        xcb_pixmap_t id{0};
        QSize size;
    };
    xcb_connection_t* c_;
    xcb_window_t window_;
    xcb_gcontext_t gc_{0};
    std::vector<Picture> pictures_;
};

} // namespace

std::unique_ptr<ServerPictures> ServerPictures::forWindow(QWindow& window)
{
    xcb_connection_t* c = toolkitX11Connection();
    if (!c || !window.handle() || window.devicePixelRatio() != 1.0)
        return nullptr;
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (!takesOurPixels(c, id))
        return nullptr;
    return std::make_unique<X11Pictures>(c, id);
}

} // namespace plovane
