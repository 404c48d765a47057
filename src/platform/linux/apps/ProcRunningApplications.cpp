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

// More new pids than this (a burst of threads) are cheaper to find in one listing.
constexpr long long kMostPidsToProbe = 64;
// A full listing now and then forgets the processes that went without being listed.
constexpr int kUpdatesPerListing = 60;

} // namespace

ProcRunningApplications::ProcRunningApplications(const ApplicationIdentity& identity, std::string procRoot)
    : identity_(identity), procRoot_(std::move(procRoot)), selfPid_(static_cast<int>(::getpid()))
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

std::optional<RunningApplication> ProcRunningApplications::resolve(int pid) const
{
    if (pid == selfPid_)
        return RunningApplication{std::string(kAppIdentifier), std::string(kAppName), std::string(kAppIdentifier), pid};
    const auto info = identity_.forProcess(executableOf(procRoot_, pid));
    if (!info)
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
