// Gives the X screen a new size through RandR, as a resolution change or an undocked
// laptop does: the one output's mode and the screen's size together. A virtual X server
// offers only the size it started with, so the mode is made here when it is missing.
// Usage: plovane_screen_size WIDTH HEIGHT
#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* value)
{
    return Reply<T>(value, &std::free);
}

int failed(const char* what, xcb_generic_error_t* error)
{
    std::fprintf(stderr, "plovane_screen_size: %s failed (X error %d)\n", what, error ? error->error_code : -1);
    std::free(error);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const auto height = static_cast<std::uint16_t>(std::atoi(argv[2]));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "plovane_screen_size: no display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_generic_error_t* error = nullptr;
    auto resources = reply(xcb_randr_get_screen_resources_reply(
        c, xcb_randr_get_screen_resources(c, screen->root), &error));
    if (!resources || resources->num_outputs < 1 || resources->num_crtcs < 1)
        return failed("reading the screen's outputs", error);
    xcb_randr_output_t output = xcb_randr_get_screen_resources_outputs(resources.get())[0];
    xcb_randr_crtc_t crtc = xcb_randr_get_screen_resources_crtcs(resources.get())[0];

    // A mode of that size the server knows already, else a new one.
    xcb_randr_mode_t mode = XCB_NONE;
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_modes(resources.get());
    for (int i = 0; i < resources->num_modes; ++i)
        if (modes[i].width == width && modes[i].height == height)
            mode = modes[i].id;
    if (mode == XCB_NONE) {
        const std::string name = std::to_string(width) + "x" + std::to_string(height);
        xcb_randr_mode_info_t info{};
        info.width = width;
        info.height = height;
        info.htotal = width;
        info.vtotal = height;
        info.dot_clock = 60u * width * height;
        info.name_len = static_cast<std::uint16_t>(name.size());
        auto made = reply(xcb_randr_create_mode_reply(
            c, xcb_randr_create_mode(c, screen->root, info, info.name_len, name.c_str()), &error));
        if (!made)
            return failed("making the mode", error);
        mode = made->mode;
        if ((error = xcb_request_check(c, xcb_randr_add_output_mode_checked(c, output, mode))))
            return failed("offering the mode", error);
    }

    // The screen holds its output's picture at every step: it grows before the output does
    // and shrinks after.
    const auto resize = [&] {
        return xcb_request_check(c, xcb_randr_set_screen_size_checked(c, screen->root, width, height,
                                                                      width * 254 / 960, height * 254 / 960));
    };
    const bool grows = width > screen->width_in_pixels || height > screen->height_in_pixels;
    if (grows && (error = resize()))
        return failed("growing the screen", error);
    auto set = reply(xcb_randr_set_crtc_config_reply(
        c, xcb_randr_set_crtc_config(c, crtc, XCB_CURRENT_TIME, resources->config_timestamp, 0, 0, mode,
                                     XCB_RANDR_ROTATION_ROTATE_0, 1, &output),
        &error));
    if (!set || set->status != XCB_RANDR_SET_CONFIG_SUCCESS)
        return failed("setting the output's mode", error);
    if (!grows && (error = resize()))
        return failed("shrinking the screen", error);
    xcb_disconnect(c);
    return 0;
}
