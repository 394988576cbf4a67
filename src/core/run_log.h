#pragma once
// A record of one run for the support call afterwards: what was asked, over which link, every
// text the user was shown with its time, the answers given, and how the run ended. Each line
// goes to the file at once, so that a run that is killed keeps what it did. Front ends feed it
// from their UserInterface; the runs are kept in the user's state directory, the newest few.

#include "core/user_interface.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace vela {

class RunLog {
public:
    RunLog() = default;
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Appends to `file`, making its directory; false with errorText() when it cannot.
    bool open(const std::filesystem::path& file);
    // Opens a new file for this run in defaultDirectory(), after removing the oldest runs there.
    bool openNewRun();
    bool isOpen() const { return file_ != nullptr; }
    const std::filesystem::path& path() const { return path_; }
    const std::string& errorText() const { return error_; }

    // One "what: text" line, e.g. the command, the link or the outcome.
    void note(std::string_view what, std::string_view text);
    void message(MessageKind kind, Buttons buttons, std::string_view text, Answer answer);
    // A status text; repeats of the last few texts are left out (a read repeats its steps
    // for every block).
    void status(StatusField field, std::string_view text);

    // $XDG_STATE_HOME/velaupdate, else ~/.local/state/velaupdate; empty when neither is known.
    static std::filesystem::path defaultDirectory();
    // A fresh file name in `dir` for a run starting now, after removing the oldest runs there
    // so that with the new one at most `keep` remain.
    static std::filesystem::path newRunFile(const std::filesystem::path& dir, std::size_t keep = kKeptRuns);
    static constexpr std::size_t kKeptRuns = 20;

private:
    void line(std::string_view text);

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::string error_;
    std::array<std::string, 4> recent_;
    std::size_t next_ = 0;
};

}  // namespace vela
