#include "session/preset_document.h"

#include "preset/new_preset.h"
#include "preset/preset_file.h"

#include <algorithm>
#include <stdexcept>

namespace vela {
namespace {

// An editor's procedures speak to the window's banner: what they would show in a box is kept
// as a notice, and nothing else reaches the user.
class NoticeCollector : public GaugeKeeper {
public:
    std::vector<std::string> notices;

    Answer message(MessageKind, Buttons buttons, std::string_view text) override {
        notices.emplace_back(text);
        return safeAnswer(buttons);
    }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override {}
};

// How many edits can be undone; older ones are forgotten.
constexpr std::size_t kUndoDepth = 500;

}  // namespace

PresetDocument::PresetDocument(UserInterface& ui, std::int32_t sampleRate)
    : ui_(ui), sampleRate_(sampleRate), preset_(std::make_unique<PresetParameters>()) {
    NoticeCollector quiet;
    PresetContext c{*preset_, state_, quiet, sampleRate_};
    ResetPreset(c);
}

PresetContext PresetDocument::context(UserInterface& ui) {
    return {*preset_, state_, ui, sampleRate_, sink_};
}

std::vector<std::string> PresetDocument::set(const Parameter& p, const std::string& value, std::string_view merge) {
    const bool joins = !merge.empty() && !undo_.empty() && mergeKey_ == merge;
    auto before = joins ? nullptr : std::make_unique<PresetParameters>(*preset_);
    NoticeCollector notices;
    PresetContext c = context(notices);
    p.set(c, value);  // a refused value throws before anything changed
    for (const Notice& n : c.notices) notices.notices.push_back(n.text);
    if (!joins) {
        undo_.push_back({std::move(before), version_, {p.key}});
        if (undo_.size() > kUndoDepth) undo_.pop_front();
    } else if (std::find(undo_.back().keys.begin(), undo_.back().keys.end(), p.key) == undo_.back().keys.end()) {
        undo_.back().keys.push_back(p.key);
    }
    redo_.clear();
    mergeKey_ = merge;
    version_ = nextVersion_++;
    changed();
    return std::move(notices.notices);
}

void PresetDocument::undo() { stepAcross(undo_, redo_); }
void PresetDocument::redo() { stepAcross(redo_, undo_); }

// Puts back the preset of `from`'s last step; the present one becomes `to`'s last step.
void PresetDocument::stepAcross(std::deque<Step>& from, std::deque<Step>& to) {
    if (from.empty()) return;
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({std::move(preset_), version_, step.keys});
    preset_ = std::move(step.preset);
    version_ = step.version;
    mergeKey_.clear();
    resend(step.keys);
    changed();
}

// Undo and redo put a whole preset back; in real-time mode the unit must hear it too. The
// step's parameters are set again to their own values, on a copy so that the preset put back
// stays exactly as it was, and their procedures send what they always send.
void PresetDocument::resend(const std::vector<std::string>& keys) {
    if (!sink_ || !state_.RealTimeMode) return;
    PresetParameters copy = *preset_;
    NoticeCollector quiet;
    PresetContext c{copy, state_, quiet, sampleRate_, sink_};
    for (const std::string& key : keys)
        if (const Parameter* p = findParameter(key)) {
            try {
                p->set(c, p->text(copy, sampleRate_));
            } catch (const std::invalid_argument&) {
                // a value the procedure refuses now was never sent either
            }
        }
}

int PresetDocument::subscribe(std::function<void()> listener) {
    listeners_.emplace(nextListener_, std::move(listener));
    return nextListener_++;
}

void PresetDocument::changed() {
    // A listener may unsubscribe another one (a window closing): walk a copy.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener();
}

void PresetDocument::clearHistory() {
    undo_.clear();
    redo_.clear();
    mergeKey_.clear();
    version_ = nextVersion_++;
    markSaved();
}

// A preset being replaced is never sent value by value: its procedures run without the
// real-time sink.
void PresetDocument::reset() {
    PresetContext c{*preset_, state_, ui_, sampleRate_};
    ResetPreset(c);
    path_.clear();
    replaced();
}

bool PresetDocument::startNew(const std::function<void()>& save) {
    PresetContext c{*preset_, state_, ui_, sampleRate_};
    if (!startNewPreset(c, save)) return false;
    state_.NewCancelled = false;
    path_.clear();
    replaced();
    return true;
}

bool PresetDocument::askToSave(const std::function<bool()>& save) {
    const Answer a = ui_.message(MessageKind::Warning, Buttons::YesNoCancel,
                                 "Do you want to save the present configuration?");
    return a == Answer::No || (a == Answer::Yes && save && save());
}

bool PresetDocument::open(const std::string& path, PeakNotice peakNotice) {
    // Into a fresh preset and record (New's steps end real-time mode), so that a refused file
    // leaves this one, and the mode, as they were.
    auto opened = std::make_unique<PresetParameters>();
    SessionState opening = state_;
    // A banner shows kept peak tables for as long as they last (standingWarnings).
    std::vector<std::string> peakTablesKept;
    PresetContext c{*opened, opening, ui_, sampleRate_, sink_,
                    peakNotice == PeakNotice::Banner ? &peakTablesKept : nullptr};
    ResetPreset(c);
    const OpenResult r = OpenPreset(c, path);
    if (r != OpenResult::Opened && r != OpenResult::OpenedOlder) return false;
    opened->Caption = CaptionForFile(path);
    preset_ = std::move(opened);
    state_ = opening;
    path_ = path;
    replaced();
    return true;
}

void PresetDocument::replaced() {
    state_.RealTimeMode = false;
    clearHistory();
    if (onReplaced) onReplaced();
    changed();
}

bool PresetDocument::saveAs(const std::string& path) {
    PresetContext c = context(ui_);
    if (!savePresetAs(c, path)) return false;
    path_ = path;
    markSaved();
    changed();
    return true;
}

}  // namespace vela
