#pragma once
// The preset being edited, owned by the thread of the windows that edit it: every edit goes
// through the parameter table's procedure, can be undone and redone, and marks the document
// modified until it is saved. The unit's worker gets a copy when it writes the preset.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "preset/parameter_table.h"
#include "preset/preset_context.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

class PresetDocument {
public:
    // `ui` asks New's question and reports the file's errors.
    explicit PresetDocument(UserInterface& ui, std::int32_t sampleRate = kSampleRate);
    PresetDocument(const PresetDocument&) = delete;
    PresetDocument& operator=(const PresetDocument&) = delete;

    const PresetParameters& preset() const { return *preset_; }
    std::int32_t sampleRate() const { return sampleRate_; }

    // One edit through `p`'s procedure; what the procedure had to say comes back as notices,
    // never as a box. Edits with the same non-empty `merge` word as the last edit join its undo
    // step (a drag, typing in a field). Throws std::invalid_argument as the parameter's setter
    // does, with nothing changed.
    std::vector<std::string> set(const Parameter& p, const std::string& value, std::string_view merge = {});
    // Closes the undo step that merged edits join.
    void endMerge() { mergeKey_.clear(); }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    void undo();
    void redo();

    // Changes with every edit, undo, redo, New and Open (not with a save): what a result
    // computed from the preset was computed from.
    std::uint64_t version() const { return version_; }
    // Changed since it was last opened, saved or made new.
    bool modified() const { return version_ != savedVersion_; }
    // The file it was opened from or saved to; empty for a new preset.
    const std::string& path() const { return path_; }

    // New's defaults, without its question; nothing to undo afterwards.
    void reset();
    // New with its save question ("Do you want to save the present configuration?"); Yes
    // saves through `save` first. False when cancelled.
    bool startNew(const std::function<void()>& save);
    // New's save question alone, before something replaces the preset: Yes saves through
    // `save`. False when cancelled, or when the save did not happen.
    bool askToSave(const std::function<bool()>& save);
    // Opens `path` into a fresh preset (nothing of the old one survives); false after the error
    // was shown, with the document unchanged. Peak tables that the file's peak settings do not
    // match are said in a box, or left to a window's banner.
    enum class PeakNotice { Box, Banner };
    bool open(const std::string& path, PeakNotice peakNotice = PeakNotice::Box);
    // Saves to `path`, which then names the document; false after the error was shown.
    bool saveAs(const std::string& path);

    // Where a procedure's real-time frames go, and whether real-time mode is on: the session
    // on the worker thread owns the mode, and the document follows what it says.
    void setRealTimeSink(dsp::RealTimeSink* sink) { sink_ = sink; }
    void setRealTimeMode(bool on) { state_.RealTimeMode = on; }
    bool realTimeMode() const { return state_.RealTimeMode; }
    // Runs when New or Open has replaced the preset: the unit no longer holds what the window
    // shows, so the owner of real-time mode ends it. The document stops sending at once.
    std::function<void()> onReplaced;
    // The session record the procedures read: New's cancel flag, real-time mode.
    const SessionState& state() const { return state_; }

    // `listener` runs after every change: an edit, undo, redo, New, Open, Save. The number
    // given back ends it.
    int subscribe(std::function<void()> listener);
    void unsubscribe(int id) { listeners_.erase(id); }

private:
    struct Step {
        std::unique_ptr<PresetParameters> preset;  // the preset on the other side of the step
        std::uint64_t version;
        std::vector<std::string> keys;  // the parameters the step changed
    };
    PresetContext context(UserInterface& ui);
    void markSaved() { savedVersion_ = version_; }
    void clearHistory();
    void changed();
    void replaced();
    void resend(const std::vector<std::string>& keys);
    void stepAcross(std::deque<Step>& from, std::deque<Step>& to);

    UserInterface& ui_;
    std::int32_t sampleRate_;
    std::unique_ptr<PresetParameters> preset_;
    SessionState state_;
    dsp::RealTimeSink* sink_ = nullptr;
    std::deque<Step> undo_, redo_;
    std::string mergeKey_;
    std::string path_;
    std::uint64_t version_ = 0, savedVersion_ = 0, nextVersion_ = 1;
    std::map<int, std::function<void()>> listeners_;
    int nextListener_ = 1;
};

}  // namespace vela
