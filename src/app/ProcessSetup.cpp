#include "app/ProcessSetup.h"

#include "platform/Log.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace plovane::processSetup {

bool ensureStandardDescriptors()
{
    bool ok = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() returns the lowest free descriptor: this very one.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            if (opened >= 0)
                ::close(opened);
            ok = false;
        }
    }
    return ok;
}

void ignoreBrokenPipes()
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool x11ServerAnswers(const std::string& display)
{
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return answers;
}

} // namespace

bool preferX11Platform()
{
    const std::string own = environment("PLOVANE_QPA_PLATFORM");
    if (!own.empty()) {
        logLine("Qt platform " + own + ", as PLOVANE_QPA_PLATFORM asks.");
        return ::setenv("QT_QPA_PLATFORM", own.c_str(), 1) == 0 && own == "xcb";
    }
    const std::string chosen = environment("QT_QPA_PLATFORM");
    // "wayland", "wayland-egl", or a list of platforms to try that starts with one of them
    const bool chosenWayland = chosen.starts_with("wayland");
    if (!chosen.empty() && !chosenWayland)
        return false;
    const std::string display = environment("DISPLAY");
    if (!display.empty() && x11ServerAnswers(display)) {
        if (chosenWayland)
            logLine("QT_QPA_PLATFORM names Wayland, but Plovane's windows use X11 (the X server at " + display +
                    ") so that the HUD can float above other windows at its own place, on every workspace, without "
                    "taking the keyboard focus; PLOVANE_QPA_PLATFORM=wayland would keep Wayland.");
        return ::setenv("QT_QPA_PLATFORM", "xcb", 1) == 0;
    }
    if (chosenWayland || !environment("WAYLAND_DISPLAY").empty())
        logLine("No X server (Xwayland) answers in this Wayland session: the HUD is an ordinary Wayland window here, "
                "which the compositor may tile, focus and keep on one workspace; it cannot ask to float above other "
                "windows, at its own place, or out of the keyboard focus.");
    return false;
}

} // namespace plovane::processSetup
