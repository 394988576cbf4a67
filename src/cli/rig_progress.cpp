#include "cli/rig_progress.h"

#include <algorithm>
#include <utility>

namespace vela::cli {

RigProgress::RigProgress(const std::vector<std::string>& units, TerminalOptions options, std::FILE* err)
    : options_(options), err_(err) {
    for (const auto& u : units) {
        rows_.push_back({u, {}, {}, false});
        rows_.back().last.unit = u;
        nameWidth_ = std::max(nameWidth_, u.size());
    }
}

RigProgress::Row* RigProgress::rowOf(const std::string& unit) {
    for (auto& r : rows_)
        if (r.unit == unit) return &r;
    return nullptr;
}

std::string RigProgress::lineOf(const Row& row) const {
    const CabinetEvent& e = row.last;
    std::string text = row.unit + std::string(nameWidth_ - row.unit.size() + 2, ' ');
    if (e.result) {
        text += e.result->complete() ? "completed" : "not completed";
    } else {
        text += phaseName(e.phase);
        if (e.memories > 0) text += " memory " + std::to_string(e.memory) + " of " + std::to_string(e.memories);
        const int filled = std::clamp(e.percent / 5, 0, 20);
        text.append(" [").append(static_cast<std::size_t>(filled), '#');
        text.append(static_cast<std::size_t>(20 - filled), ' ').append("] ");
        text += std::to_string(e.percent) + "%";
    }
    if (!row.note.empty()) text += "  " + row.note;
    return text;
}

void RigProgress::print(const std::string& text) {
    std::fprintf(err_, "%s\n", text.c_str());
    std::fflush(err_);
}

void RigProgress::redraw() {
    // Back to the first line of the block, then every line afresh.
    if (drawn_) std::fprintf(err_, "\x1b[%zuA", rows_.size());
    for (const auto& r : rows_) {
        std::string text = lineOf(r);
        if (text.size() > 159) text.resize(159);
        std::fprintf(err_, "\r%s\x1b[K\n", text.c_str());
    }
    std::fflush(err_);
    drawn_ = true;
}

void RigProgress::cabinetEvent(const CabinetEvent& e) {
    const std::lock_guard lock(mutex_);
    Row* row = rowOf(e.unit);
    if (!row) return;
    const bool problem = e.kind == MessageKind::Error || e.kind == MessageKind::Warning ||
                         (e.kind == MessageKind::Plain && !e.text.empty());
    const bool newPhase = !row->begun || e.phase != row->last.phase || (e.result && !row->last.result);
    row->begun = true;
    if (stop_.requested() && !std::exchange(stopAnnounced_, true)) {
        drawn_ = false;  // the lines are drawn afresh under the notice
        print(kStoppingAfterExchange);
    }
    if (problem) row->note = e.text.substr(0, e.text.find('\n'));
    if (e.text.empty() || problem) row->last = e;
    if (options_.interactive && !options_.quiet) {
        redraw();
        return;
    }
    // Without a terminal: the phases and the problems, once each.
    if (problem) {
        const char* kind = e.kind == MessageKind::Error ? "error: " : e.kind == MessageKind::Warning ? "warning: " : "";
        print(e.unit + ": " + kind + e.text);
    } else if (newPhase && !options_.quiet) {
        print(e.unit + ": " + (!e.result ? phaseName(e.phase) : e.result->complete() ? "completed" : "not completed"));
    }
}

std::string memoryRanges(const std::vector<int>& memories) {
    std::string text;
    for (std::size_t i = 0; i < memories.size();) {
        std::size_t j = i;
        while (j + 1 < memories.size() && memories[j + 1] == memories[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += std::to_string(memories[i]);
        if (j > i) text += "-" + std::to_string(memories[j]);
        i = j + 1;
    }
    return text;
}

} // namespace vela::cli
