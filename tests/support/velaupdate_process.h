#pragma once
// Runs the built velaupdate as a user would, and "velaupdate sim" in the background.
// Test targets that include this define VELAUPDATE_BINARY.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <initializer_list>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vela::test {

struct Outcome {
    std::string out;
    int code;
};

// Runs a shell line; its standard output and exit code.
inline Outcome shell(const std::string& line) {
    std::FILE* p = ::popen(line.c_str(), "r");
    Outcome r{"", -1};
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline Outcome run(const std::string& arguments, bool withStderr = true) {
    return shell(std::string(VELAUPDATE_BINARY) + " " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null"));
}

inline bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

// The port of "HOST:PORT " in a line the simulated unit printed; empty when there is none.
inline std::string portOf(const std::string& line) {
    for (std::size_t colon = line.find(':'); colon != std::string::npos; colon = line.find(':', colon + 1)) {
        std::size_t end = colon + 1;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
        if (end > colon + 1 && end < line.size() && line[end] == ' ') return line.substr(colon + 1, end - colon - 1);
    }
    return {};
}

// A line of `text` that starts with `start` and holds `parts` after it, in this order.
inline bool hasRow(const std::string& text, const std::string& start, std::initializer_list<std::string> parts) {
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        if (line.rfind(start, 0) == 0) {
            std::size_t pos = start.size();
            bool all = true;
            for (const std::string& part : parts) {
                pos = line.find(part, pos);
                if (pos == std::string::npos) {
                    all = false;
                    break;
                }
                pos += part.size();
            }
            if (all) return true;
        }
        at = end + 1;
    }
    return false;
}

// "velaupdate sim" running in the background; stopped with Ctrl-C's signal.
class SimProcess {
public:
    explicit SimProcess(const std::string& options) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string command = std::string("exec ") + VELAUPDATE_BINARY + " sim " + options + " 2>/dev/null";
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        ::posix_spawn(&pid_, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
    }
    ~SimProcess() {
        if (pid_ > 0) stop();
        if (out_) std::fclose(out_);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    std::string line() {
        char buf[256] = {};
        if (!out_ || !std::fgets(buf, sizeof buf, out_)) return {};
        std::string s(buf);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    int stop() {
        ::kill(pid_, SIGINT);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

// velaupdate running in the background with its stdout and stderr collected, so that a
// test can wait for a text and send it signals as a user's terminal would.
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
        const std::string command = std::string("exec ") + VELAUPDATE_BINARY + " " + arguments;
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
