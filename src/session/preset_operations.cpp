#include "session/preset_operations.h"

#include "preset/new_preset.h"
#include "preset/preset_file.h"
#include "session/session.h"

namespace vela {

PresetContext presetContextOf(Session& s) { return {s.preset, s.state, s.ui, s.SampleRate, &s.realTime}; }

bool newPreset(Session& s, const AskSavePath& askSavePath) {
    PresetContext ctx = presetContextOf(s);
    return NewButtonClick(ctx, [&] {
        if (const auto path = askSavePath ? askSavePath() : std::nullopt) savePresetFile(s, *path);
    });
}

bool openPresetFile(Session& s, const std::string& path) {
    PresetContext ctx = presetContextOf(s);
    if (s.state.NewCancelled) ResetPreset(ctx);
    s.state.RealTimeMode = false;
    const OpenResult r = OpenPreset(ctx, path);
    if (r != OpenResult::Opened && r != OpenResult::OpenedOlder) return false;
    s.preset.Caption = CaptionForFile(path);
    return true;
}

bool savePresetFile(Session& s, const std::string& path) {
    PresetContext ctx = presetContextOf(s);
    return SaveButtonClick(ctx, path);
}

}  // namespace vela
