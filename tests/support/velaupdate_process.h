#pragma once
// Runs the built velaupdate as a user would, and "velaupdate sim" in the background, on Linux
// and on Windows alike: arguments split as a shell splits a plain line, no shell in between.
// Test targets that link vela_cli_runner run the program it names (VELAUPDATE_BINARY).

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A test that needs what only Linux gives it here (a pseudo-terminal, a signal, a POSIX shell)
// says so in this one line.
#ifdef _WIN32
#define VELA_LINUX_ONLY(why) GTEST_SKIP() << "needs " << why
#else
#define VELA_LINUX_ONLY(why) static_cast<void>(0)
#endif

namespace vela::test {

struct Outcome {
    std::string out;
    int code;
};

// Where and with what the program runs: a working folder, variables set ("NAME", "value") or
// removed ("NAME", no value).
struct Setting {
    std::string name;
    std::optional<std::string> value;
};
struct Surroundings {
    std::filesystem::path folder;
    std::vector<Setting> environment;
};

// The built program's path.
std::string binary();
// The words of `line` as a shell gives them to a program: split at blanks, with '...' and "..."
// holding blanks; no escapes, so that Windows paths pass as they are.
std::vector<std::string> shellWords(const std::string& line);

// Runs velaupdate with `arguments` and no input; standard output, with standard error merged in
// or dropped, and the exit code (-1 when it did not end by itself). Lines end in "\n" as on Linux.
Outcome run(const std::string& arguments, bool withStderr = true, const Surroundings& where = {});
// Standard error alone: what a script's log collects.
Outcome runForErrors(const std::string& arguments);
// A line for /bin/sh, for what only a POSIX shell does; standard output and the exit code.
Outcome shell(const std::string& line);

// The variable that moves the run logs' and backups' home to `home`, and the folder the program
// then keeps them in.
Setting stateHome(const std::filesystem::path& home);
std::filesystem::path stateFolderIn(const std::filesystem::path& home);

inline bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

// The port of "HOST:PORT " in a line the simulated unit printed; empty when there is none.
std::string portOf(const std::string& line);

// A line of `text` that starts with `start` and holds `parts` after it, in this order.
bool hasRow(const std::string& text, const std::string& start, std::initializer_list<std::string> parts);

// "velaupdate sim" running in the background; stopped as Ctrl-C (Ctrl-Break on Windows) stops it.
class SimProcess {
public:
    explicit SimProcess(const std::string& options = "");
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The next line it printed; empty when it printed none within 20 s.
    std::string line();
    // Its exit code after the stop, or -1.
    int stop();

private:
    struct Running;
    std::unique_ptr<Running> running_;
};

}  // namespace vela::test
