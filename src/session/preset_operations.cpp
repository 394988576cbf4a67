#include "session/preset_operations.h"

#include "preset/new_preset.h"
#include "preset/preset_file.h"
#include "session/session.h"

namespace vela {

PresetContext presetContextOf(Session& s, UserInterface* progress) {
    return {s.preset, s.state, progress ? *progress : s.ui, s.SampleRate, &s.realTimeQueue};
}

void resetPreset(Session& s, UserInterface* progress) {
    PresetContext ctx = presetContextOf(s, progress);
    ResetPreset(ctx);
}

bool newPreset(Session& s, const AskSavePath& askSavePath) {
    PresetContext ctx = presetContextOf(s);
    return startNewPreset(ctx, [&] {
        if (const auto path = askSavePath ? askSavePath() : std::nullopt) savePresetFile(s, *path);
    });
}

bool openPresetFile(Session& s, const std::string& path, UserInterface* progress) {
    PresetContext ctx = presetContextOf(s, progress);
    if (s.state.NewCancelled) ResetPreset(ctx);
    s.state.RealTimeMode = false;
    const OpenResult r = OpenPreset(ctx, path);
    if (r != OpenResult::Opened && r != OpenResult::OpenedOlder) return false;
    s.preset.Caption = CaptionForFile(path);
    return true;
}

bool savePresetFile(Session& s, const std::string& path, UserInterface* progress) {
    PresetContext ctx = presetContextOf(s, progress);
    return savePresetAs(ctx, path);
}

} // namespace vela
