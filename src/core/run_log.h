#pragma once
// A record of one run for the support call afterwards: what was asked, over which link, every
// text the user was shown with its time, the answers given, and how the run ended. Each line
// goes to the file at once, so that a run that is killed keeps what it did. Front ends feed it
// from their UserInterface; the runs are kept in the user's state directory, the newest few.
// A run over several units gives each its own section of the one file: every line of a
// section carries the section's name, and sections may be written from different threads.

#include "core/user_interface.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vela {

class RunLog {
public:
    RunLog() = default;
    RunLog(RunLog&&) = default;
    RunLog& operator=(RunLog&&) = default;
    ~RunLog();

    // Appends to `file`, making its directory; false with errorText() when it cannot.
    bool open(const std::filesystem::path& file);
    // Opens a new file for this run in defaultDirectory(), after removing the oldest runs there.
    bool openNewRun();
    bool isOpen() const { return file_ != nullptr; }
    const std::filesystem::path& path() const;
    const std::string& errorText() const { return error_; }

    // A part of this log for one unit, written to the same file with every line marked
    // "[name]"; says in the log that it begins. Closed with the last of the log and its sections.
    RunLog section(std::string_view name);

    // One "what: text" line, e.g. the command, the link or the outcome.
    void note(std::string_view what, std::string_view text);
    void message(MessageKind kind, Buttons buttons, std::string_view text, Answer answer);
    // A status text; repeats of the last few texts are left out (a read repeats its steps
    // for every block).
    void status(StatusField field, std::string_view text);

    // The user's state folder for this program (platform::stateFolder()); empty when unknown.
    static std::filesystem::path defaultDirectory();
    // Makes a fresh empty file in `dir` for a run starting now, named by the time, the process
    // and, for a second run in the same second, a number; before that removes the oldest runs
    // there so that with the new one at most `keep` remain, sparing logs still open. Empty
    // when no file can be made.
    static std::filesystem::path newRunFile(const std::filesystem::path& dir, std::size_t keep = kKeptRuns);
    static constexpr std::size_t kKeptRuns = 20;

private:
    struct File;
    void line(std::string_view text);

    std::shared_ptr<File> file_;  // shared by the log and its sections
    std::string tag_;             // "[name] " in a section
    std::string error_;
    std::array<std::string, 4> recent_;
    std::size_t next_ = 0;
};

}  // namespace vela
