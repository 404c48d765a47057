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
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
// `pid` is set to that process.
bool heldByOurUser(const std::string& name, pid_t& pid)
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
            pid = peer.pid;
            return ours;
        }
        ::close(probe);
        // Bound but not yet listening: a copy in the middle of its start.
        ::usleep(20'000);
    }
    return false;
}

// The process holding the flock on the file open at `fd`, from the kernel's table of
// locks; 0 when it is not one this process can see (another machine, another container).
pid_t flockHolder(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return 0;
    char file[64];
    std::snprintf(file, sizeof file, "%02x:%02x:%llu", ::major(info.st_dev), ::minor(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (!locks)
        return 0;
    pid_t holder = 0;
    char line[256];
    while (!holder && std::fgets(line, sizeof line, locks)) {
        char kind[16], id[64];
        long pid = 0;
        // "1: FLOCK  ADVISORY  WRITE 8063 fe:00:10962623 0 EOF"; a waiter's line starts "1: ->".
        if (std::sscanf(line, "%*d: %15s %*s %*s %ld %63s", kind, &pid, id) == 3 &&
            std::string_view(kind) == "FLOCK" && file == std::string_view(id))
            holder = static_cast<pid_t>(std::max(0L, pid));
    }
    std::fclose(locks);
    return holder;
}

// One variable of another process's environment, as it was started.
std::optional<std::string> environmentOf(pid_t pid, std::string_view name)
{
    std::string environ;
    if (!readWholeFile("/proc/" + std::to_string(pid) + "/environ", environ))
        return std::nullopt;
    for (std::size_t at = 0; at < environ.size();) {
        const std::size_t end = std::min(environ.find('\0', at), environ.size());
        const std::string_view entry(environ.data() + at, end - at);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return std::string(entry.substr(name.size() + 1));
        at = end + 1;
    }
    return std::string();
}

std::string ownEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

InstanceLock::Holder InstanceLock::holder() const
{
    Holder holder{.process = holder_};
    // The login session when both know theirs, else the display the windows go to.
    const std::optional<std::string> session = holder_ > 0 ? environmentOf(holder_, "XDG_SESSION_ID") : std::nullopt;
    const std::optional<std::string> display = holder_ > 0 ? environmentOf(holder_, "DISPLAY") : std::nullopt;
    const std::optional<std::string> wayland = holder_ > 0 ? environmentOf(holder_, "WAYLAND_DISPLAY") : std::nullopt;
    if (session && display && wayland)
        holder.sameSession = !session->empty() && !ownEnvironment("XDG_SESSION_ID").empty()
                                 ? *session == ownEnvironment("XDG_SESSION_ID")
                                 : *display == ownEnvironment("DISPLAY") && *wayland == ownEnvironment("WAYLAND_DISPLAY");
    holder.xDisplay = display.value_or("");
    holder.waylandDisplay = wayland.value_or("");
    return holder;
}

std::string InstanceLock::whereHeld() const
{
    const Holder held = holder();
    if (held.sameSession)
        return "in this session";
    std::string details;
    if (!held.xDisplay.empty())
        details = "display " + held.xDisplay;
    else if (!held.waylandDisplay.empty())
        details = "Wayland display " + held.waylandDisplay;
    if (held.process > 0)
        details += (details.empty() ? "" : ", ") + std::string("process ") + std::to_string(held.process);
    return "in another session" + (details.empty() ? std::string() : " (" + details + ")");
}

bool InstanceLock::askHolderToShow() const
{
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    socklen_t length = 0;
    const sockaddr_un address = abstractAddress(socketName(paths::settingsDir()), length);
    ucred peer {};
    socklen_t size = sizeof peer;
    // Only to a copy of our own user: anyone may bind a name.
    const bool sent = ::connect(sock, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                      ::getsockopt(sock, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid() &&
                      ::send(sock, kShowRequest.data(), kShowRequest.size(), MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(kShowRequest.size());
    ::close(sock);
    return sent;
}

int InstanceLock::acceptShowRequest() const
{
    if (socket_ < 0)
        return -1;
    const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (connection < 0)
        return -1;
    ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
        ::close(connection);
        return -1;
    }
    return connection;
}

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

InstanceLock::Result InstanceLock::lockFile(FileProblem& why)
{
    const std::string path = lockPath();
    if (!makeDirectories(paths::settingsDir(), &why))
        return Result::unavailable;
    // Never through a link, never blocking on a FIFO, and close-on-exec, so a program we
    // start (unzip) never inherits and outlives the lock. Reading is all flock needs.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = errno == ELOOP ? FileProblem{path, FileProblem::Cause::link, "it is a symbolic link"}
                             : FileProblem::fromError(path, errno);
        return Result::unavailable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = {path, FileProblem::Cause::notRegularFile, "it is not a regular file"};
        return Result::unavailable;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int error = errno;
        if (error == EWOULDBLOCK)
            holder_ = flockHolder(fd);
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::heldByAnother;
        why = FileProblem::fromError(path, error);
        return Result::unavailable;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    return Result::acquired;
}

InstanceLock::Result InstanceLock::acquire()
{
    FileProblem why;
    const Result file = lockFile(why);
    if (file == Result::unavailable) {
        failure_ = "could not take the lock " + lockPath() + " (" + why.describe() + ")";
        failureProblem_ = why;
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
        if (::bind(sock, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(sock, 4) == 0) {
            // Accepted on the main thread, which must never wait for a connection.
            ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
            socket_ = sock;
        } else {
            const int error = errno;
            ::close(sock);
            if (error == EADDRINUSE && heldByOurUser(name, holder_)) {
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
    FileProblem why;
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
            (again == Result::heldByAnother ? std::string("another copy holds it") : why.describe()) + ").");
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
