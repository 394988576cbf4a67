#pragma once
// velaupdate running in the background as on a user's terminal, to which a test sends signals.
// Linux only: Windows has no signals.

#include "support/velaupdate_process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vela::test {

class RunningCommand {
public:
    explicit RunningCommand(const std::string& arguments) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        const std::string command = "exec " + binary() + " " + arguments;
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        ::posix_spawn(&pid_, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~RunningCommand() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    // Collects output until it holds `text`; false when the time-out passed first.
    bool waitFor(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (output_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline || !collect(20)) return false;
        }
        return true;
    }
    void signal(int number) { ::kill(pid_, number); }
    // Waits for the end; the exit code, or -1 when a signal ended it.
    Outcome finish() {
        while (collect(50)) {
        }
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return {output_, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }
    const std::string& output() const { return output_; }

private:
    // False once the program closed its output.
    bool collect(int ms) {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return true;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n <= 0) return false;
        output_.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

}  // namespace vela::test
