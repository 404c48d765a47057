#include "platform/qt/X11SendBuffer.h"

#include "platform/qt/X11Connection.h"

#include <xcb/xcb.h>

#include <sys/socket.h>

#include <algorithm>
#include <fstream>

namespace plovane {

namespace {

// What an unprivileged process may ask for; the kernel doubles it for its bookkeeping.
int systemMaximum()
{
    std::ifstream in("/proc/sys/net/core/wmem_max");
    long value = 0;
    if (!(in >> value) || value <= 0)
        return 1 << 20;
    return static_cast<int>(std::min<long>(value, 1 << 22)); // 4 MB is plenty
}

} // namespace

int widenX11SendBuffer()
{
    xcb_connection_t* c = toolkitX11Connection();
    if (!c)
        return 0;
    const int fd = xcb_get_file_descriptor(c);
    int size = 0;
    socklen_t length = sizeof size;
    if (::getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, &length) != 0)
        return 0;
    const int wanted = systemMaximum();
    // Only ever larger; a failure leaves the connection as it was.
    if (wanted * 2 > size && ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &wanted, sizeof wanted) == 0) {
        length = sizeof size;
        ::getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, &length);
    }
    return size;
}

} // namespace plovane
