#pragma once
// What the preset procedures work with: the model, the session record (real-time mode and
// its busy flag), the user interface, the sample rate, where real-time frames go, and the
// notices an edit leaves for whoever started it.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "dsp/realtime_sink.h"
#include "preset/preset_parameters.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vela {

// What an edit has to say without stopping anyone: a limit it met, a value it could not read,
// a stored value it had to limit, the power warning of the dynamics. The command line prints
// notices as messages; a window shows them as a banner.
struct Notice {
    MessageKind kind = MessageKind::Warning;  // Plain for the boxes that carried no icon
    std::string text;

    bool operator==(const Notice&) const = default;
};

struct PresetContext {
    PresetParameters& p;
    SessionState& state;
    UserInterface& ui;
    std::int32_t SampleRate = kSampleRate;
    // The protocol's senders; none when nothing can be sent.
    dsp::RealTimeSink* sink = nullptr;
    // When set, a file whose stored peak settings the image does not carry is listed here
    // ("FILE (output 1)") instead of in a warning of its own: a batch says it once.
    std::vector<std::string>* peakSettingsDiffer = nullptr;

    // A warning's text, naming the file being opened when there is one.
    std::string aboutFile(std::string_view text) const {
        return p.OpeningFile.empty() ? std::string(text) : p.OpeningFile + ": " + std::string(text);
    }

    // What the procedures noted since the caller last took them, oldest first.
    std::vector<Notice> notices{};

    // A procedure sends its change only in real-time mode. The sink holds a change that comes
    // while a frame is in flight, so none is lost.
    bool canSend() const { return sink != nullptr && state.RealTimeMode; }

    void notice(MessageKind kind, std::string text) { notices.push_back({kind, std::move(text)}); }
    // Shows the notices as message boxes, oldest first, and forgets them: for callers with no
    // banner of their own (the command line, opening a file).
    void showNotices() {
        const std::vector<Notice> shown = std::move(notices);
        notices.clear();
        for (const Notice& n : shown) ui.message(n.kind, Buttons::Ok, n.text);
    }
};

// The progress window of New and Open: a title, a step text and a bar of 0..100. Its labels
// change whether or not it is shown.
struct PresetProgress {
    UserInterface& ui;
    bool visible = false;

    void show(std::string_view title) {
        visible = true;
        ui.status(StatusField::PresetTitle, title);
        ui.gaugeMaximum(Gauge::ProgressBar, 100);
    }
    void step(int bar, std::string_view text) {
        ui.gaugePosition(Gauge::ProgressBar, bar);
        ui.status(StatusField::PresetStep, text);
    }
    void hide() { visible = false; }
};

}  // namespace vela
