#pragma once
// The command line's answer to the user interface: the system's texts verbatim on stderr,
// questions asked at the terminal (or answered by --yes, or declined without a terminal),
// and a progress bar redrawn only when it changes. Without a terminal a run writes one line
// per memory and per phase; --verbose writes every step text. Everything shown also goes to
// the run log when there is one.

#include "core/run_log.h"
#include "core/user_interface.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

namespace vela::cli {

struct TerminalOptions {
    bool yes = false;    // answer Yes / OK to every question
    bool quiet = false;  // only errors
    bool interactive = false;  // stdin and stderr are a terminal
    bool verbose = false;  // every step text of every exchange, not only the headlines
};

// The step text that says what an exchange is about ("... to Memory 3", "Reading
// Configuration 3 ...", "... DSP Program"): the one line an exchange gets by default.
bool isHeadlineStep(std::string_view text);

class TerminalUi : public GaugeKeeper {
public:
    TerminalUi(TerminalOptions options, std::FILE* in = stdin, std::FILE* err = stderr);
    ~TerminalUi() override;

    Answer message(MessageKind kind, Buttons buttons, std::string_view text) override;
    void status(StatusField field, std::string_view text) override;
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override;
    void pump() override;

    // True when the user declined a question since the last call.
    bool takeDeclined();
    // Ends the progress line so that the next output starts on a fresh line.
    void finishProgress();
    const TerminalOptions& options() const { return options_; }
    // Records every message, answer and status text in `log` from now on (nullptr: none).
    void setRunLog(RunLog* log) { log_ = log; }
    // The last error the user was told of (a message box or an exchange's error status);
    // empty when none.
    const std::string& lastError() const { return lastError_; }

protected:
    void gaugeMoved(Gauge gauge) override;

private:
    Answer ask(Buttons buttons);
    // Whether a step text gets its line by default (without --verbose and without a terminal).
    bool isHeadline(StatusField field, std::string_view text) const;
    void drawBar();
    void line(std::string_view text);

    TerminalOptions options_;
    std::FILE* in_;
    std::FILE* err_;
    std::string label_;
    std::string lastStatus_;
    std::string linkStatus_ = "Status : Offline";
    // Without a terminal each text is logged once per exchange, not once per data block.
    std::set<std::string> logged_;
    // By default: the last step text, shown before an error when it was not shown itself.
    std::string lastStep_;
    RunLog* log_ = nullptr;
    int drawnPercent_[kGaugeCount] = {-1, -1, -1, -1};
    bool scanBar_ = false;  // the bar drawn last is the module scan's
    bool barShown_ = false;
    bool declined_ = false;
    std::chrono::steady_clock::time_point nextEventRound_{};
    bool stopAnnounced_ = false;
    std::string lastError_;
};

// Said once when the first interrupt asks a run to stop.
inline constexpr const char* kStoppingAfterExchange =
    "Stopping after the exchange in progress; interrupt again to stop at once.";

// Reads stdin/stderr and the environment to decide whether questions can be asked.
bool isInteractiveTerminal();

}  // namespace vela::cli
