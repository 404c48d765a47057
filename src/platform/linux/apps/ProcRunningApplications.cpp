#include "platform/linux/apps/ProcRunningApplications.h"

#include "platform/AppIdentity.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace plovane {

namespace {

// Reads a small /proc file whole; empty when it cannot be read.
std::string readSmallFile(const std::string& path)
{
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && out.size() < 65536)
        out.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return out;
}

// The record getdents64 fills in; glibc has no declaration of its own for it.
struct LinuxDirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

std::optional<int> parsePid(const char* name)
{
    if (*name < '1' || *name > '9')
        return std::nullopt; // ".", "self", "sys", ...
    int pid = 0;
    const char* end = name + std::char_traits<char>::length(name);
    auto [ptr, ec] = std::from_chars(name, end, pid);
    if (ec != std::errc{} || ptr != end || pid <= 0)
        return std::nullopt;
    return pid;
}

// The value of `name` in a NUL-separated environment block; empty when it is not set.
std::string environmentValue(std::string_view block, std::string_view name)
{
    for (std::size_t at = 0; at < block.size();) {
        std::size_t end = block.find('\0', at);
        if (end == std::string_view::npos)
            end = block.size();
        const std::string_view entry = block.substr(at, end - at);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return std::string(entry.substr(name.size() + 1));
        at = end + 1;
    }
    return {};
}

// ":0", "unix:0" and ":0.0" are the same display.
std::string normalizedX11Display(std::string display)
{
    const auto colon = display.rfind(':');
    if (colon == std::string::npos)
        return display;
    display.erase(0, colon);
    if (const auto dot = display.find('.'); dot != std::string::npos)
        display.erase(dot);
    return display;
}

// "wayland-0" and "/run/user/1000/wayland-0" are the same socket for one user.
std::string normalizedWaylandDisplay(const std::string& display)
{
    const auto slash = display.rfind('/');
    return slash == std::string::npos ? display : display.substr(slash + 1);
}

// The logind session whose scope holds the process ("…/session-3.scope"); empty when it
// runs outside one (a service of the user's manager, say).
std::string sessionOfCgroup(std::string_view cgroup)
{
    constexpr std::string_view prefix = "/session-";
    constexpr std::string_view suffix = ".scope";
    const auto at = cgroup.find(prefix);
    if (at == std::string_view::npos)
        return {};
    const auto begin = at + prefix.size();
    const auto end = cgroup.find(suffix, begin);
    if (end == std::string_view::npos)
        return {};
    return std::string(cgroup.substr(begin, end - begin));
}

// The real user of a process, from the "Uid:" line of its status; nothing when it is gone.
std::optional<unsigned> realUidOf(const std::string& procRoot, int pid)
{
    const std::string status = readSmallFile(procRoot + "/" + std::to_string(pid) + "/status");
    const auto at = status.find("\nUid:");
    if (at == std::string::npos)
        return std::nullopt;
    const char* begin = status.data() + at + 5;
    const char* end = status.data() + status.size();
    while (begin < end && (*begin == '\t' || *begin == ' '))
        ++begin;
    unsigned uid = 0;
    if (std::from_chars(begin, end, uid).ec != std::errc{})
        return std::nullopt;
    return uid;
}

// More new pids than this (a burst of threads) are cheaper to find in one listing.
constexpr long long kMostPidsToProbe = 64;
// A full listing now and then forgets the processes that went without being listed.
constexpr int kUpdatesPerListing = 60;

} // namespace

ProcRunningApplications::ProcRunningApplications(const ApplicationIdentity& identity, std::string procRoot)
    : identity_(identity), procRoot_(std::move(procRoot)), selfPid_(static_cast<int>(::getpid())),
      selfUid_(static_cast<unsigned>(::getuid())), selfMarks_(sessionMarksOf(procRoot_, selfPid_))
{
    // The shortcut counts pids of our own namespace, so it only stands for a /proc that
    // shows that namespace.
    char self[32] = {};
    const std::string selfLink = procRoot_ + "/self";
    const ssize_t n = ::readlink(selfLink.c_str(), self, sizeof self - 1);
    if (procRoot_ == "/proc" && n > 0 && parsePid(self) == selfPid_)
        loadavgFd_ = ::open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
}

std::string ProcRunningApplications::executableOf(const std::string& procRoot, int pid)
{
    const std::string base = procRoot + "/" + std::to_string(pid);
    std::string cmdline = readSmallFile(base + "/cmdline");
    std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    // Some programs rewrite their command line into one space-separated string.
    const bool rewritten = cmdline.find_first_not_of('\0', argv0.size()) == std::string::npos;
    if (rewritten)
        argv0 = argv0.substr(0, argv0.find(' '));
    if (!argv0.empty()) {
        const auto slash = argv0.rfind('/');
        return slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
    }
    if (cmdline.empty())
        return {}; // kernel thread, or gone
    std::string comm = readSmallFile(base + "/comm");
    while (!comm.empty() && comm.back() == '\n')
        comm.pop_back();
    return comm;
}

ProcRunningApplications::SessionMarks ProcRunningApplications::sessionMarksOf(const std::string& procRoot, int pid)
{
    const std::string base = procRoot + "/" + std::to_string(pid);
    const std::string environment = readSmallFile(base + "/environ");
    SessionMarks marks;
    marks.sessionId = environmentValue(environment, "XDG_SESSION_ID");
    if (marks.sessionId.empty())
        marks.sessionId = sessionOfCgroup(readSmallFile(base + "/cgroup"));
    marks.display = normalizedX11Display(environmentValue(environment, "DISPLAY"));
    marks.waylandDisplay = normalizedWaylandDisplay(environmentValue(environment, "WAYLAND_DISPLAY"));
    return marks;
}

bool ProcRunningApplications::sameSession(const SessionMarks& ours, const SessionMarks& theirs)
{
    const auto shared = [](const std::string& a, const std::string& b) { return !a.empty() && a == b; };
    const auto differ = [](const std::string& a, const std::string& b) { return !a.empty() && !b.empty() && a != b; };
    if (shared(ours.display, theirs.display) || shared(ours.waylandDisplay, theirs.waylandDisplay) ||
        shared(ours.sessionId, theirs.sessionId))
        return true;
    return !(differ(ours.sessionId, theirs.sessionId) || differ(ours.display, theirs.display) ||
             differ(ours.waylandDisplay, theirs.waylandDisplay));
}

std::optional<RunningApplication> ProcRunningApplications::resolve(int pid) const
{
    if (pid == selfPid_)
        return RunningApplication{std::string(kAppIdentifier), std::string(kAppName), std::string(kAppIdentifier), pid};
    const auto info = identity_.forProcess(executableOf(procRoot_, pid));
    if (!info)
        return std::nullopt;
    // Another user's programs, or this user's in another login (a second seat, a remote
    // desktop, an ssh login), are not what the user in front of this session runs.
    if (realUidOf(procRoot_, pid) != selfUid_)
        return std::nullopt;
    if (!sameSession(selfMarks_, sessionMarksOf(procRoot_, pid)))
        return std::nullopt;
    return RunningApplication{info->bundleID, info->name, info->icon, pid};
}

ProcRunningApplications::~ProcRunningApplications()
{
    if (dirFd_ >= 0)
        ::close(dirFd_);
    if (loadavgFd_ >= 0)
        ::close(loadavgFd_);
}

bool ProcRunningApplications::rewindListing()
{
    if (dirFd_ >= 0 && ::lseek(dirFd_, 0, SEEK_SET) == 0)
        return true;
    if (dirFd_ >= 0)
        ::close(dirFd_);
    dirFd_ = ::open(procRoot_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return dirFd_ >= 0;
}

std::optional<ProcRunningApplications::ProcessCounter> ProcRunningApplications::readCounter()
{
    if (loadavgFd_ < 0)
        return std::nullopt;
    // "0.00 0.01 0.05 1/234 5678": the fourth field ends in the number of tasks, the
    // fifth is the pid most recently handed out.
    char text[128];
    const ssize_t n = ::pread(loadavgFd_, text, sizeof text - 1, 0);
    if (n <= 0)
        return std::nullopt;
    text[n] = '\0';
    const char* slash = std::strchr(text, '/');
    if (!slash)
        return std::nullopt;
    ProcessCounter counter;
    const char* end = text + n;
    auto [afterTasks, ec1] = std::from_chars(slash + 1, end, counter.tasks);
    if (ec1 != std::errc{} || afterTasks >= end || *afterTasks != ' ')
        return std::nullopt;
    auto [afterPid, ec2] = std::from_chars(afterTasks + 1, end, counter.lastPid);
    if (ec2 != std::errc{})
        return std::nullopt;
    return counter;
}

std::vector<RunningApplication> ProcRunningApplications::list()
{
    // No pid handed out and no task gone since the last listing: the processes are the
    // same ones, so the listing is too. A new process or thread takes a pid; an exit with
    // no new pid lowers the task count.
    const auto counter = readCounter();
    if (counter && lastCounter_ && *counter == *lastCounter_)
        return lastListing_;
    if (counter && lastCounter_ && updatesSinceListing_ < kUpdatesPerListing &&
        followNewPids(*lastCounter_, *counter)) {
        ++updatesSinceListing_;
        lastCounter_ = counter;
        return lastListing_;
    }
    lastCounter_.reset();
    std::vector<RunningApplication> out = fullListing();
    updatesSinceListing_ = 0;
    // A counter read after the listing could hide a process started in between.
    lastCounter_ = counter;
    lastListing_ = out;
    return out;
}

bool ProcRunningApplications::followNewPids(const ProcessCounter& from, const ProcessCounter& to)
{
    // Pids are handed out in rising order until they wrap: everything new since `from`
    // has a pid above its last one.
    const long long added = to.lastPid - from.lastPid;
    if (added < 0 || added > kMostPidsToProbe)
        return false;
    std::vector<int> started;
    for (long long pid = from.lastPid + 1; pid <= to.lastPid; ++pid) {
        // Only a process, not a thread, gets a pidfd without asking for a thread's.
        const long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u);
        if (fd >= 0) {
            ::close(static_cast<int>(fd));
            started.push_back(static_cast<int>(pid));
        } else if (errno == ENOSYS || errno == EPERM) {
            return false; // an older kernel or a sandbox: list instead
        }
    }
    std::vector<RunningApplication> out;
    out.reserve(lastListing_.size() + started.size());
    for (const auto& app : lastListing_) {
        if (::kill(app.pid, 0) == 0 || errno == EPERM)
            out.push_back(app);
        else
            cache_.erase(app.pid);
    }
    for (const int pid : started) {
        auto& entry = cache_[pid];
        entry.app = resolve(pid);
        entry.generation = generation_;
        if (entry.app)
            out.push_back(*entry.app);
    }
    lastListing_ = std::move(out);
    return true;
}

std::vector<RunningApplication> ProcRunningApplications::fullListing()
{
    std::vector<RunningApplication> out;
    // One directory handle and one buffer for the life of the object: a listing is a few
    // getdents64 calls and no allocation, however many processes there are.
    if (!rewindListing())
        return out;
    if (buffer_.empty())
        buffer_.resize(32 * 1024);
    // Mark and sweep: entries not seen in this listing belong to processes that are gone.
    ++generation_;
    std::size_t seen = 0;
    for (;;) {
        const long n = ::syscall(SYS_getdents64, dirFd_, buffer_.data(), buffer_.size());
        if (n <= 0)
            break;
        for (long offset = 0; offset < n;) {
            const char* record = buffer_.data() + offset;
            unsigned short length = 0;
            std::memcpy(&length, record + offsetof(LinuxDirent64, d_reclen), sizeof length);
            if (length == 0)
                break;
            offset += length;
            const auto pid = parsePid(record + offsetof(LinuxDirent64, d_name));
            if (!pid)
                continue;
            auto [it, isNew] = cache_.try_emplace(*pid);
            if (isNew)
                it->second.app = resolve(*pid);
            it->second.generation = generation_;
            ++seen;
            if (it->second.app)
                out.push_back(*it->second.app);
        }
    }
    if (seen != cache_.size())
        std::erase_if(cache_, [this](const auto& entry) { return entry.second.generation != generation_; });
    return out;
}

} // namespace plovane
