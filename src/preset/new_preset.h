#pragma once
// New: every value of the preset back to its default, in the order of the main window's New
// command, with the progress window's texts.

#include "preset/preset_context.h"

#include <functional>

namespace vela {

// The main window's creation values that New runs again: routing of both outputs to input A.
void MainWindowDefaults(PresetContext& ctx);
// The System-Info reset: the name from the main window's copy, the other three fields empty.
void SystemInfoReset(PresetParameters& p);
// Sets the preset name in both copies (main window and System-Info).
void SetSystemName(PresetParameters& p, const std::string& name);

// Steps 2 to 9 of New: the defaults in order, "Gains..." to "DONE...".
void ResetPreset(PresetContext& ctx);

// The New command: asks "Do you want to save the present configuration?" (Yes runs `save`
// first, Cancel sets NewCancelled and ends), then ResetPreset. Returns false when cancelled.
bool startNewPreset(PresetContext& ctx, const std::function<void()>& save);

}  // namespace vela
