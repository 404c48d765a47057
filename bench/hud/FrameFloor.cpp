// The least that showing a few frames a second in a translucent window can cost the X
// server: frames prepared once as server pixmaps, then one copy each, nothing else. Run
// as a peer of bench/idle-app.sh, its row is the floor under the HUD's own X figure.
//
//   frame_floor [frames per second = 4] [width = 160] [height = 160]
//
// Runs until it is killed.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

int argOr(int argc, char** argv, int i, int fallback)
{
    const int value = argc > i ? std::atoi(argv[i]) : fallback;
    return value > 0 ? value : fallback;
}

xcb_visualid_t argbVisual(const xcb_screen_t& screen)
{
    for (auto depth = xcb_screen_allowed_depths_iterator(&screen); depth.rem; xcb_depth_next(&depth))
        if (depth.data->depth == 32 && xcb_depth_visuals_length(depth.data) > 0)
            return xcb_depth_visuals_iterator(depth.data).data->visual_id;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int fps = argOr(argc, argv, 1, 4);
    const auto width = static_cast<uint16_t>(argOr(argc, argv, 2, 160));
    const auto height = static_cast<uint16_t>(argOr(argc, argv, 3, 160));

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "frame_floor: no X display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_visualid_t visual = argbVisual(*screen);
    if (!visual) {
        std::fprintf(stderr, "frame_floor: the X server has no 32-bit visual\n");
        return 1;
    }

    // A translucent window, as the HUD's, a little larger than the frames.
    const xcb_colormap_t colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t windowValues[] = {0, 0, colormap};
    xcb_create_window(c, 32, window, screen->root, 100, 100, width + 40, height + 40, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP, windowValues);
    xcb_map_window(c, window);

    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t noExposures = 0;
    xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

    // Four frames of different colours, made once.
    xcb_pixmap_t frames[4];
    for (int i = 0; i < 4; ++i) {
        frames[i] = xcb_generate_id(c);
        xcb_create_pixmap(c, 32, frames[i], window, width, height);
        const uint32_t colour = 0xff000000u | (0x60u << (8 * (i % 3))) | (static_cast<uint32_t>(i) * 0x202020u);
        xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t all{0, 0, width, height};
        xcb_poly_fill_rectangle(c, frames[i], gc, 1, &all);
    }
    xcb_flush(c);

    // One step a period, on absolute times so that the steps do not drift.
    const long period = 1'000'000'000L / fps;
    timespec at{};
    clock_gettime(CLOCK_MONOTONIC, &at);
    for (unsigned step = 0;; ++step) {
        at.tv_nsec += period;
        while (at.tv_nsec >= 1'000'000'000L) {
            at.tv_nsec -= 1'000'000'000L;
            ++at.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
        xcb_copy_area(c, frames[step % 4], window, gc, 0, 0, 20, 20, width, height);
        xcb_flush(c);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c))
            std::free(event);
        if (xcb_connection_has_error(c))
            return 1;
    }
}
