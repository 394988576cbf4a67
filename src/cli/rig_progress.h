#pragma once
// The progress of a rig run at the terminal: at a terminal one line per cabinet (name, phase,
// memory n of N, a bar), redrawn in place; without one a line per cabinet and phase, and the
// errors and warnings each cabinet gives, marked with its name.

#include "cli/terminal_ui.h"
#include "session/cabinet_reporter.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace vela::cli {

class RigProgress : public CabinetEventSink {
public:
    RigProgress(const std::vector<std::string>& units, TerminalOptions options, std::FILE* err = stderr);

    void cabinetEvent(const CabinetEvent& event) override;

private:
    struct Row {
        std::string unit;
        CabinetEvent last;
        std::string note;  // the last problem, shown at the end of the line
        bool begun = false;
    };
    Row* rowOf(const std::string& unit);
    std::string lineOf(const Row& row) const;
    void redraw();
    void print(const std::string& text);

    TerminalOptions options_;
    std::FILE* err_;
    std::mutex mutex_;
    std::vector<Row> rows_;
    std::size_t nameWidth_ = 0;
    bool drawn_ = false;
    // The process's interrupts, announced once for every cabinet.
    StopRequest stop_;
    bool stopAnnounced_ = false;
};

// "1-13", "1-3, 5": memory numbers as ranges.
std::string memoryRanges(const std::vector<int>& memories);

} // namespace vela::cli
