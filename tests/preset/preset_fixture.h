#pragma once
// A preset model with its context, a scripted user interface and a sink that records every
// real-time frame.

#include "dsp/realtime_sink.h"
#include "preset/new_preset.h"
#include "preset/preset_context.h"
#include "support/scripted_ui.h"

#include <memory>
#include <vector>

namespace vela::test {

struct RecordedFrame {
    dsp::RealTimeType type;
    std::uint16_t address;
    std::vector<std::uint32_t> words;
};

class RecordingSink : public dsp::RealTimeSink {
public:
    void send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override {
        frames.push_back({type, address, {words.begin(), words.end()}});
    }
    void setTarget(std::uint8_t t) override { target = t; }

    std::vector<RecordedFrame> frames;
    int target = -1;
};

struct PresetFixture {
    ScriptedUi ui;
    SessionState state;
    std::unique_ptr<PresetParameters> model = std::make_unique<PresetParameters>();
    RecordingSink sink;
    PresetContext ctx{*model, state, ui, kSampleRate, &sink};

    PresetFixture() { ResetPreset(ctx); }
    PresetParameters& p() { return *model; }
    void realTime(bool on) { state.RealTimeMode = on; }
};

}  // namespace vela::test
