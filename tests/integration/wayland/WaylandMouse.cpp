// A mouse for the wlroots session tests: a virtual pointer on the compositor's seat, driven
// by lines on standard input. Its moves and clicks reach windows as a real mouse's do,
// native windows and Xwayland alike, and count as the user's input (idle notifications).
//
//   plovane_wayland_mouse WIDTH HEIGHT   (the size of the layout)
//
// Lines: "move X Y" (layout coordinates), "click B" (B: 1 left, 2 middle, 3 right). Each is
// answered with "ok" once the compositor has it. The mouse lives until standard input ends.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Globals {
    wl_seat* seat{nullptr};
    zwlr_virtual_pointer_manager_v1* manager{nullptr};
};

uint32_t now()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = static_cast<uint32_t>(std::stoul(argv[1]));
    const auto height = static_cast<uint32_t>(std::stoul(argv[2]));
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    Globals globals;
    static const wl_registry_listener listener{
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            auto* g = static_cast<Globals*>(data);
            if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
                g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
            else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
                g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                    wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager) {
        std::fprintf(stderr, "the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "move") {
            uint32_t x = 0;
            uint32_t y = 0;
            words >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y, width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (verb == "click") {
            int button = 1;
            words >> button;
            const uint32_t code = button == 3 ? BTN_RIGHT : button == 2 ? BTN_MIDDLE : BTN_LEFT;
            zwlr_virtual_pointer_v1_button(pointer, now(), code, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            wl_display_flush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            zwlr_virtual_pointer_v1_button(pointer, now(), code, WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (!verb.empty()) {
            std::fprintf(stderr, "unknown command: %s\n", line.c_str());
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) {
            std::fprintf(stderr, "the compositor went away\n");
            return 1;
        }
        std::printf("ok\n");
        std::fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
