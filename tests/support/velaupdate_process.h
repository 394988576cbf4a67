#pragma once
// Runs the built velaupdate as a user would, and "velaupdate sim" in the background.
// Test targets that include this define VELAUPDATE_BINARY.

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vela::test {

struct Outcome {
    std::string out;
    int code;
};

inline Outcome run(const std::string& arguments, bool withStderr = true) {
    const std::string command = std::string(VELAUPDATE_BINARY) + " " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null");
    std::FILE* p = ::popen(command.c_str(), "r");
    Outcome r{"", -1};
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

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

}  // namespace vela::test
