#include "app/InstanceLock.h"

#include "platform/AppIdentity.h"
#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace plovane {
namespace {

// The abstract socket's name: ours, the user's and the settings folder's, hashed so
// that any path fits.
std::string socketName(const std::string& settingsFolder)
{
    char resolved[PATH_MAX];
    const std::string folder = ::realpath(settingsFolder.c_str(), resolved) ? resolved : settingsFolder;
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : folder)
        hash = (hash ^ c) * 1099511628211ull;
    char text[96];
    std::snprintf(text, sizeof text, "%s.lock/%u/%016llx", std::string(kAppIdentifier).c_str(),
                  static_cast<unsigned>(::getuid()), static_cast<unsigned long long>(hash));
    return text;
}

sockaddr_un abstractAddress(const std::string& name, socklen_t& length)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    // A leading zero byte: a name in the kernel, not a file anyone can delete.
    const std::size_t size = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), size);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + size);
    return address;
}

// Whether the process listening on `name` is one of this user's: the name is open to
// every user, so one of another user's (planted to keep us from starting) counts as none.
bool heldByOurUser(const std::string& name)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (probe < 0)
            return false;
        socklen_t length = 0;
        const sockaddr_un address = abstractAddress(name, length);
        if (::connect(probe, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
            ucred peer {};
            socklen_t size = sizeof peer;
            const bool ours = ::getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
            ::close(probe);
            return ours;
        }
        ::close(probe);
        // Bound but not yet listening: a copy in the middle of its start.
        ::usleep(20'000);
    }
    return false;
}

} // namespace

InstanceLock::~InstanceLock()
{
    for (int fd : {fd_, socket_, inotify_})
        if (fd >= 0)
            ::close(fd);
}

std::string InstanceLock::lockPath()
{
    return paths::settingsDir() + "/" + std::string(kAppIdentifier) + ".lock";
}

InstanceLock::Result InstanceLock::lockFile(std::string& why)
{
    const std::string path = lockPath();
    if (!makeDirectories(paths::settingsDir(), &why))
        return Result::unavailable;
    // Never through a link, never blocking on a FIFO, and close-on-exec, so a program we
    // start (unzip) never inherits and outlives the lock. Reading is all flock needs.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        return Result::unavailable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = "it is not a regular file";
        return Result::unavailable;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::heldByAnother;
        why = std::strerror(error);
        return Result::unavailable;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    return Result::acquired;
}

InstanceLock::Result InstanceLock::acquire()
{
    std::string why;
    const Result file = lockFile(why);
    if (file == Result::unavailable) {
        failure_ = "could not take the lock " + lockPath() + " (" + why + ")";
        return file;
    }
    if (file == Result::heldByAnother)
        return file;

    // The file goes with its folder when a clean-up removes either; the socket's name
    // stays bound as long as this process lives. It is seen by the copies in the same
    // network namespace, the file by those on the same file system.
    const std::string name = socketName(paths::settingsDir());
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock >= 0) {
        socklen_t length = 0;
        const sockaddr_un address = abstractAddress(name, length);
        if (::bind(sock, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(sock, 1) == 0) {
            socket_ = sock;
        } else {
            const int error = errno;
            ::close(sock);
            if (error == EADDRINUSE && heldByOurUser(name)) {
                ::close(fd_);
                fd_ = -1;
                return Result::heldByAnother;
            }
            logLine("The single-instance lock rests on " + lockPath() + " alone: " +
                    (error == EADDRINUSE ? std::string("its socket name is held by another user")
                                         : std::string(std::strerror(error))) +
                    ".");
        }
    }
    failure_.clear();
    return Result::acquired;
}

void InstanceLock::keepWhereItLives()
{
    if (fd_ < 0)
        return;
    struct stat held {};
    struct stat there {};
    if (::fstat(fd_, &held) == 0 && ::lstat(lockPath().c_str(), &there) == 0 && held.st_dev == there.st_dev &&
        held.st_ino == there.st_ino) {
        retakeFailed_ = false;
        return;
    }
    // Removed, alone or with its folder: taken again where it now belongs, so a copy
    // started later still finds it.
    std::string why;
    const Result again = lockFile(why);
    if (again == Result::acquired) {
        retakeFailed_ = false;
        watchFolders();
        logLine("The single-instance lock " + lockPath() + " was removed; taken again.");
        return;
    }
    if (retakeFailed_)
        return;
    retakeFailed_ = true;
    logLine("The single-instance lock " + lockPath() + " was removed and could not be taken again (" +
            (again == Result::heldByAnother ? std::string("another copy holds it") : why) + ").");
}

int InstanceLock::lossNotifications()
{
    if (inotify_ < 0 && fd_ >= 0) {
        inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        watchFolders();
        if (folderWatch_ < 0 && inotify_ >= 0) {
            ::close(inotify_);
            inotify_ = -1;
        }
    }
    return inotify_;
}

void InstanceLock::watchFolders()
{
    if (inotify_ < 0)
        return;
    const std::string folder = paths::settingsDir();
    const std::string parent = folder.substr(0, std::max<std::size_t>(1, folder.rfind('/')));
    // The lock file leaving the folder (removed, renamed, replaced), and the folder
    // leaving the one above. The folder's own removal is told late: not before the lock
    // file it holds open is closed.
    constexpr std::uint32_t kMask = IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    const std::array<std::pair<int*, int>, 2> watches{{
        {&folderWatch_, ::inotify_add_watch(inotify_, folder.c_str(), kMask)},
        {&parentWatch_, ::inotify_add_watch(inotify_, parent.c_str(), kMask)},
    }};
    // A folder moved away keeps its old watch: it is no longer ours to follow.
    for (const auto& [watch, now] : watches) {
        if (*watch >= 0 && *watch != now)
            ::inotify_rm_watch(inotify_, *watch);
        *watch = now;
    }
}

InstanceLock::Loss InstanceLock::readLossNotifications()
{
    if (inotify_ < 0)
        return Loss::none;
    const std::string lockName = std::string(kAppIdentifier) + ".lock";
    const std::string folder = paths::settingsDir();
    const std::string folderName = folder.substr(folder.rfind('/') + 1);
    Loss loss = Loss::none;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(inotify_, buffer.data(), buffer.size());
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const bool self = event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_Q_OVERFLOW);
            const bool named = event->len > 0;
            if ((self && (event->wd == folderWatch_ || event->wd == parentWatch_ || event->wd == -1)) ||
                (event->wd == parentWatch_ && named && folderName == event->name))
                loss = Loss::folder;
            else if (event->wd == folderWatch_ && named && lockName == event->name && loss == Loss::none)
                loss = Loss::file;
        }
    }
    return loss;
}

} // namespace plovane
