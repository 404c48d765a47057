#include "platform/qt/ServerPictures.h"

#include "platform/qt/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
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
        release(scratch_);
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
        if (picture.id && picture.size != pixels.size())
            release(picture);
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

    bool blend(int from, int to, double t, const QPoint& at, const QRect& area) override
    {
        if (!has(from) || !has(to) || !renderFormat())
            return false;
        Picture& a = pictures_[static_cast<std::size_t>(from)];
        Picture& b = pictures_[static_cast<std::size_t>(to)];
        if (a.size != b.size)
            return false;
        const QRect box = area & QRect(at, a.size);
        if (box.isEmpty())
            return true;
        if (!scratchFor(box.size()))
            return false;
        attachRender(a);
        attachRender(b);
        // Mixed off screen and copied in whole, so the window never shows half a mix:
        // scratch = from × (1 − t), then + to × t.
        const auto weight = static_cast<uint16_t>(std::lround(std::clamp(t, 0.0, 1.0) * 0xffff));
        const auto sx = static_cast<int16_t>(box.x() - at.x());
        const auto sy = static_cast<int16_t>(box.y() - at.y());
        const auto w = static_cast<uint16_t>(box.width());
        const auto h = static_cast<uint16_t>(box.height());
        const xcb_render_picture_t rest = solid(static_cast<uint16_t>(0xffff - weight));
        const xcb_render_picture_t share = solid(weight);
        xcb_render_composite(c_, XCB_RENDER_PICT_OP_SRC, a.render, rest, scratch_.render, sx, sy, 0, 0, 0, 0, w, h);
        xcb_render_composite(c_, XCB_RENDER_PICT_OP_ADD, b.render, share, scratch_.render, sx, sy, 0, 0, 0, 0, w, h);
        xcb_render_free_picture(c_, rest);
        xcb_render_free_picture(c_, share);
        xcb_copy_area(c_, scratch_.id, window_, gc_, 0, 0, static_cast<int16_t>(box.x()),
                      static_cast<int16_t>(box.y()), w, h);
        xcb_flush(c_);
        return true;
    }

    void clear() override
    {
        for (Picture& picture : pictures_)
            release(picture);
        pictures_.clear();
    }

private:
    struct Picture {
        xcb_pixmap_t id{0};
        QSize size;
        xcb_render_picture_t render{0}; // made when first mixed
    };

    void release(Picture& picture)
    {
        if (picture.render)
            xcb_render_free_picture(c_, picture.render);
        if (picture.id)
            xcb_free_pixmap(c_, picture.id);
        picture = {};
    }

    // The server's picture format for our pixels (32-bit ARGB), asked for once; 0 when it
    // has no render extension that can mix with a solid weight (0.10 or later).
    xcb_render_pictformat_t renderFormat()
    {
        if (format_.has_value())
            return *format_;
        format_ = 0;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_render_id);
        if (!ext || !ext->present)
            return 0;
        xcb_render_query_version_reply_t* version =
            xcb_render_query_version_reply(c_, xcb_render_query_version(c_, 0, 11), nullptr);
        const bool recent = version && (version->major_version > 0 || version->minor_version >= 10);
        std::free(version);
        if (!recent)
            return 0;
        xcb_render_query_pict_formats_reply_t* formats =
            xcb_render_query_pict_formats_reply(c_, xcb_render_query_pict_formats(c_), nullptr);
        if (!formats)
            return 0;
        for (auto f = xcb_render_query_pict_formats_formats_iterator(formats); f.rem;
             xcb_render_pictforminfo_next(&f)) {
            const xcb_render_pictforminfo_t& info = *f.data;
            const xcb_render_directformat_t& d = info.direct;
            if (info.type == XCB_RENDER_PICT_TYPE_DIRECT && info.depth == 32 && d.alpha_shift == 24 &&
                d.alpha_mask == 0xff && d.red_shift == 16 && d.red_mask == 0xff && d.green_shift == 8 &&
                d.green_mask == 0xff && d.blue_shift == 0 && d.blue_mask == 0xff) {
                format_ = info.id;
                break;
            }
        }
        std::free(formats);
        return *format_;
    }

    void attachRender(Picture& picture)
    {
        if (picture.render)
            return;
        picture.render = xcb_generate_id(c_);
        xcb_render_create_picture(c_, picture.render, picture.id, *format_, 0, nullptr);
    }

    // An off-screen picture at least `size` large to mix into.
    bool scratchFor(const QSize& size)
    {
        if (scratch_.id && scratch_.size.width() >= size.width() && scratch_.size.height() >= size.height())
            return true;
        const QSize grown = size.expandedTo(scratch_.size);
        release(scratch_);
        const xcb_pixmap_t id = xcb_generate_id(c_);
        if (xcb_generic_error_t* error = xcb_request_check(
                c_, xcb_create_pixmap_checked(c_, 32, id, window_, static_cast<uint16_t>(grown.width()),
                                              static_cast<uint16_t>(grown.height())))) {
            std::free(error);
            return false;
        }
        scratch_.id = id;
        scratch_.size = grown;
        attachRender(scratch_);
        return true;
    }

    // A weight for a mix: a picture of one alpha everywhere.
    xcb_render_picture_t solid(uint16_t alpha)
    {
        const xcb_render_picture_t id = xcb_generate_id(c_);
        xcb_render_create_solid_fill(c_, id, xcb_render_color_t{alpha, alpha, alpha, alpha});
        return id;
    }

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

    xcb_connection_t* c_;
    xcb_window_t window_;
    xcb_gcontext_t gc_{0};
    std::vector<Picture> pictures_;
    Picture scratch_;
    std::optional<xcb_render_pictformat_t> format_;
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
