#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace plovane::test {

// A helper program run for one test: its standard input is a pipe it watches (closing
// it asks the program to quit), its standard output is where it reports.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv)
    {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~ChildProcess()
    {
        if (stdin_ >= 0)
            ::close(stdin_);
        if (pid_ > 0) {
            // Give it a moment to leave on its own, then make sure.
            for (int i = 0; i < 100 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
                ::usleep(10'000);
            if (::kill(pid_, 0) == 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        if (stdout_ >= 0)
            ::close(stdout_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }

    // The first line the program prints, or nothing within the deadline.
    std::optional<std::string> readLine(std::chrono::milliseconds deadline = std::chrono::seconds(15))
    {
        std::string line;
        const auto until = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char c = 0;
            if (::read(stdout_, &c, 1) != 1)
                return std::nullopt;
            if (c == '\n')
                return line;
            line.push_back(c);
        }
        return std::nullopt;
    }

private:
    pid_t pid_{-1};
    int stdin_{-1};
    int stdout_{-1};
};

} // namespace plovane::test
