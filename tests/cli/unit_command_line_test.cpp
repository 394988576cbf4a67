// The unit commands and the simulated unit as a user runs them: the built program, with
// --sim in-process or against "velaupdate sim" on a pseudo-terminal and TCP on 127.0.0.1.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    std::string out;
    int code;
};

Outcome run(const std::string& arguments, bool withStderr = true) {
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

bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

std::string programImage() {
    const std::string path = ::testing::TempDir() + "vela-image-" + std::to_string(::getpid()) + ".bin";
    std::string bytes(3570, '\0');
    bytes[0] = 0x0D;
    bytes[1] = static_cast<char>(0xF0);
    bytes[4] = 5;
    const std::string name = "Stage Left";
    bytes.replace(12, name.size(), name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
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

TEST(SimOption, ProbeReadAndWriteWorkWithNoHardware) {
    const Outcome probe = run("--sim probe --json", false);
    EXPECT_EQ(probe.code, 0);
    EXPECT_EQ(probe.out, "{\"link\":\"USB\",\"answered\":true,\"unitEmpty\":false,\"modelCode\":1,\"modelListEnabled\":true}\n");

    const Outcome read = run("--sim read 4 --json --quiet");
    EXPECT_EQ(read.code, 0) << read.out;
    EXPECT_EQ(read.out, "{\"memory\":4,\"program\":true,\"length\":3570,\"modelCode\":1,\"name\":\"MEMORY 4\"}\n");

    const std::string image = programImage();
    EXPECT_EQ(run("--sim write 5 --image " + image + " --yes --quiet").code, 0);
    std::remove(image.c_str());
}

TEST(SimOption, QuestionsWithoutATerminalAreDeclined) {
    const std::string image = programImage();
    const Outcome r = run("--sim write 5 --image " + image + " </dev/null");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(has(r, "The memory 5 have a preset stored. Do you want to overwrite it?")) << r.out;
    EXPECT_EQ(run("--sim reset </dev/null").code, 4);
    EXPECT_EQ(run("--sim lock --yes --quiet").code, 0);
    std::remove(image.c_str());
}

TEST(UsageErrors, AreRefusedBeforeTheUnitIsTouched) {
    EXPECT_EQ(run("--sim password 12345678").code, 2);
    EXPECT_EQ(run("--sim change 0").code, 2);
    EXPECT_EQ(run("--offline lock --yes").code, 2);
    EXPECT_EQ(run("--ethernet=127.0.0.1:1 lock --yes").code, 2);
    EXPECT_EQ(run("--sim write 3 --image /nonexistent --yes").code, 3);
    EXPECT_EQ(run("sim --fault sideways").code, 2);
}

TEST(UpdateDsp, SendsTheStandInOnlyToTheSimulatedUnit) {
    EXPECT_EQ(run("--sim update-dsp --yes --quiet").code, 0);
    const Outcome refused = run("--usb=/dev/null update-dsp --yes");
    EXPECT_EQ(refused.code, 3);
    EXPECT_TRUE(has(refused, "is a stand-in")) << refused.out;
}

TEST(SimCommand, ServesAPseudoTerminalAndTcpUntilInterrupted) {
    SimProcess sim("--pty --tcp 0 --model-code 4 --protect 3");
    const std::string pty = sim.line();
    const std::string tcp = sim.line();
    ASSERT_EQ(pty.rfind("PTY /dev/", 0), 0u) << pty;
    ASSERT_EQ(tcp.rfind("TCP 127.0.0.1:", 0), 0u) << tcp;
    const std::string path = pty.substr(4);
    const std::string host = tcp.substr(4);

    const Outcome usb = run("--usb=" + path + " probe", false);
    EXPECT_EQ(usb.code, 0);
    EXPECT_TRUE(has(usb, "model code 4")) << usb.out;
    EXPECT_EQ(run("--serial=" + path + " probe --quiet").code, 0);
    const Outcome eth = run("--ethernet=" + host + " read 2 --json", false);
    EXPECT_EQ(eth.out, "{\"memory\":2,\"program\":true,\"length\":3570,\"modelCode\":4,\"name\":\"MEMORY 2\"}\n");
    const std::string image = programImage();
    EXPECT_EQ(run("--usb=" + path + " write 3 --image " + image + " --yes --quiet").code, 1);  // protected
    std::remove(image.c_str());
    EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
