#include "app/ProcessSetup.h"

#include "platform/Log.h"

#include <QtGlobal>
#include <QString>

#include <xcb/xcb.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// The Wayland display Qt's Wayland platform would open.
std::string waylandDisplay()
{
    const std::string named = environment("WAYLAND_DISPLAY");
    return named.empty() ? "wayland-0" : named;
}

// Whether a compositor listens on the Wayland display's socket: one that is gone (a
// terminal multiplexer or an SSH session kept from an earlier login) leaves the name set,
// and maybe its socket file, with no one behind it.
bool waylandAnswers(const std::string& name)
{
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    const std::string path = name.starts_with('/') ? name : runtime.empty() ? std::string() : runtime + "/" + name;
    sockaddr_un address {};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    const bool answers = ::connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(sock);
    return answers;
}

// While the QApplication is being made: the exit status when it finds no display to open.
std::atomic<int> noDisplayStatus{0};

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
    if ((chosenWayland || !environment("WAYLAND_DISPLAY").empty()) && waylandAnswers(waylandDisplay()))
        logLine("No X server (Xwayland) answers in this Wayland session: the HUD is an ordinary Wayland window here, "
                "which the compositor may tile, focus and keep on one workspace; it cannot ask to float above other "
                "windows, at its own place, or out of the keyboard focus.");
    return false;
}

std::optional<std::string> missingDisplay()
{
    const std::string platform = environment("QT_QPA_PLATFORM");
    // Another platform the user chose (offscreen, vnc, wayland, …) is Qt's to judge.
    if (!platform.empty() && !platform.starts_with("xcb"))
        return std::nullopt;
    const std::string display = environment("DISPLAY");
    if (!display.empty() && x11ServerAnswers(display))
        return std::nullopt;
    const std::string wayland = environment("WAYLAND_DISPLAY");
    if (platform.empty() && !wayland.empty() && waylandAnswers(wayland))
        return std::nullopt;
    if (!display.empty())
        return "cannot reach the X display " + display +
               " (is the desktop session still running, and may this user open windows on it?)";
    if (platform.empty() && !wayland.empty())
        return "cannot reach the Wayland display " + wayland +
               " and no X display is set (is the desktop session still running? A terminal kept from an earlier "
               "login may still name one that is gone)";
    return std::string("needs a desktop session: no display is set (DISPLAY or WAYLAND_DISPLAY); "
                       "start it from the desktop, or from a terminal inside the desktop session");
}

void avoidSessionBusAutolaunch()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return;
    // The user's bus, where a systemd user session puts it: libdbus finds it by itself.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat info {};
        if (::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return;
    }
    // An address no daemon listens on: connecting fails at once, and nothing is started.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null", 1);
    logLine("No session bus: running without one (no status notifier, no accessibility, no screen lock events).");
}

namespace {
void qtMessageToLog(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const std::string text = qFormatLogMessage(type, context, message).toStdString();
    switch (type) {
    case QtFatalMsg: {
        // Qt aborts next: what is queued, then this, straight out.
        flushLog();
        if (const int status = noDisplayStatus.load()) {
            // No display could be opened after all: our own words and status, not an abort.
            const char* platform = std::getenv("QT_QPA_PLATFORM");
            const std::string line = "Plovane does not start: it could not open a display (Qt platform " +
                                     std::string(platform && *platform ? platform : "chosen by Qt") + ").\n";
            [[maybe_unused]] auto written = ::write(STDERR_FILENO, line.data(), line.size());
            ::_exit(status);
        }
        const std::string line = text + "\n";
        [[maybe_unused]] auto written = ::write(STDERR_FILENO, line.data(), line.size());
        return;
    }
    case QtCriticalMsg:
        logError(text);
        return;
    case QtWarningMsg:
        logWarning(text);
        return;
    case QtDebugMsg:
    case QtInfoMsg:
        logLine(text);
        return;
    }
}
} // namespace

void routeQtMessagesToLog()
{
    qInstallMessageHandler(qtMessageToLog);
}

void endWhenNoDisplayOpens(int status)
{
    noDisplayStatus = status;
}

} // namespace plovane::processSetup
