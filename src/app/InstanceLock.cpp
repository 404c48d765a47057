#include "app/InstanceLock.h"

#include "platform/AppIdentity.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plovane {

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string InstanceLock::lockPath()
{
    return paths::settingsDir() + "/" + std::string(kAppIdentifier) + ".lock";
}

InstanceLock::Result InstanceLock::acquire()
{
    const std::string path = lockPath();
    auto unavailable = [&](const std::string& why) {
        failure_ = "could not take the lock " + path + " (" + why + ")";
        return Result::unavailable;
    };
    std::string why;
    if (!makeDirectories(paths::settingsDir(), &why))
        return unavailable(why);
    // Never through a link, never blocking on a FIFO, and close-on-exec, so a program we
    // start (unzip) never inherits and outlives the lock. Reading is all flock needs.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return unavailable(errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return unavailable("it is not a regular file");
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::heldByAnother;
        return unavailable(std::strerror(error));
    }
    fd_ = fd;
    failure_.clear();
    return Result::acquired;
}

} // namespace plovane
