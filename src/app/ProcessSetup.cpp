#include "app/ProcessSetup.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

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

bool preferX11Platform()
{
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if ((chosen && *chosen) || !display || !*display)
        return false;
    return ::setenv("QT_QPA_PLATFORM", "xcb", 1) == 0;
}

} // namespace plovane::processSetup
