#include "app/InstanceLock.h"

#include "platform/AppIdentity.h"
#include "platform/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plovane {
namespace {

// A folder only this user can write to: the session's runtime folder, else one of our
// own under the temporary folder (created private, and refused if someone else owns it).
std::string lockFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return runtime;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/plovane-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 0077) != 0)
        return {};
    return folder;
}

} // namespace

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string InstanceLock::lockPath()
{
    const std::string folder = lockFolder();
    return folder.empty() ? std::string() : folder + "/" + std::string(kAppIdentifier) + ".lock";
}

InstanceLock::Result InstanceLock::acquire()
{
    const std::string path = lockPath();
    if (path.empty()) {
        logLine("No private folder for the single-instance lock; not checking for another copy.");
        return Result::unavailable;
    }
    // Close-on-exec, so a program we start (unzip) never inherits and outlives the lock.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        logLine("Could not open the single-instance lock " + path + ": " + std::strerror(errno));
        return Result::unavailable;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::heldByAnother;
        logLine("Could not take the single-instance lock " + path + ": " + std::strerror(error));
        return Result::unavailable;
    }
    fd_ = fd;
    return Result::acquired;
}

} // namespace plovane
