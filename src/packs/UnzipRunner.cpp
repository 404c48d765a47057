#include "packs/UnzipRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace plovane {
namespace {

// The tool's exit status for a write that failed for want of room.
constexpr int kDiskFullStatus = 50;

// Environment for the tool: ours, minus the variables the tool reads extra options from.
std::vector<std::string> toolEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry = *e;
        if (entry.starts_with("UNZIP=") || entry.starts_with("UNZIPOPT=") || entry.starts_with("UNZIP_OPTS="))
            continue;
        env.emplace_back(entry);
    }
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Between fork and exec only async-signal-safe calls.
[[noreturn]] void execTool(const char* program, char* const* argv, char* const* envp, rlim_t maxFileBytes)
{
    ::setsid();
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig : {SIGPIPE, SIGXFSZ, SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &dfl, nullptr);

    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? maxFileBytes : std::min(maxFileBytes, limit.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    const struct rlimit noCore {0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);

    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        ::_exit(127);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(null, fd);
    if (::syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
        struct rlimit files {};
        const rlim_t top = ::getrlimit(RLIMIT_NOFILE, &files) == 0 ? std::min<rlim_t>(files.rlim_cur, 65536) : 1024;
        for (rlim_t fd = 3; fd < top; ++fd)
            ::close(static_cast<int>(fd));
    }
    ::execve(program, argv, envp);
    ::_exit(127);
}

void killGroup(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

UnzipResult runUnzip(const std::string& archive, const std::string& destination, const UnzipOptions& options,
                     std::stop_token stop)
{
    UnzipResult result;
    std::vector<std::string> args{options.program, "-o", archive, "-d", destination};
    std::vector<std::string> env = toolEnvironment();
    auto argv = pointers(args);
    auto envp = pointers(env);

    // Report a missing or unusable program as the start failure it is, not as an exit status.
    if (::access(options.program.c_str(), X_OK) != 0) {
        result.outcome = UnzipResult::Outcome::failedToStart;
        result.startError = errno;
        return result;
    }

    const pid_t pid = ::fork();
    if (pid < 0) {
        result.outcome = UnzipResult::Outcome::failedToStart;
        result.startError = errno;
        return result;
    }
    const std::uint64_t maxFileBytes =
        options.maxFileBytes > 0 ? std::min(options.maxFileBytes, options.limits.maxTotalBytes) : options.limits.maxTotalBytes;
    if (pid == 0)
        execTool(options.program.c_str(), argv.data(), envp.data(), static_cast<rlim_t>(maxFileBytes));

    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    for (;;) {
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(options.pollInterval.count()));
        } else {
            std::this_thread::sleep_for(std::min(options.pollInterval, std::chrono::milliseconds(20)));
        }
        // Peek without reaping: while the tool is a zombie its id cannot be reused, so
        // whatever it started and left behind in its group can still be killed safely.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
            ::kill(-pid, SIGKILL);
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            // A file that outgrew what the archive declared for it ran into the file size
            // limit: the tool reports that as a full disk, or dies of the signal.
            const bool hitFileLimit = (WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) ||
                                      (WIFEXITED(status) && WEXITSTATUS(status) == kDiskFullStatus &&
                                       surveyTree(destination, options.limits, OpenUpFolders::no).largestFile >=
                                           maxFileBytes);
            if (hitFileLimit) {
                result.outcome = UnzipResult::Outcome::grewPastLimits;
                result.verdict = PackVerdict::tooLarge;
                break;
            }
            result.outcome = UnzipResult::Outcome::exited;
            result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (stop.stop_requested()) {
            killGroup(pid);
            result.outcome = UnzipResult::Outcome::cancelled;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            killGroup(pid);
            result.outcome = UnzipResult::Outcome::timedOut;
            break;
        }
        const auto survey = surveyTree(destination, options.limits, OpenUpFolders::no);
        if (survey.bytes > options.limits.maxTotalBytes || survey.entries > options.limits.maxEntries) {
            killGroup(pid);
            result.outcome = UnzipResult::Outcome::grewPastLimits;
            result.verdict = survey.bytes > options.limits.maxTotalBytes ? PackVerdict::tooLarge
                                                                          : PackVerdict::tooManyEntries;
            break;
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return result;
}

} // namespace plovane
