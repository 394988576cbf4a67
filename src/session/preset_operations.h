#pragma once
// The preset document's commands as the processor window starts them: New, Open (New, then
// the file the user chose) and Save, on the session's preset.

#include "preset/preset_context.h"

#include <functional>
#include <optional>
#include <string>

namespace vela {

class Session;

// Where Save writes: the file the user chose, or nothing when they cancelled.
using AskSavePath = std::function<std::optional<std::string>()>;

// `progress` takes the steps' texts and gauges; the session's own interface when null.
PresetContext presetContextOf(Session& session, UserInterface* progress = nullptr);

// New without its question, for a preset with nothing to keep.
void resetPreset(Session& session, UserInterface* progress = nullptr);

// New with its save question; Yes saves first (to the file askSavePath gives). False when the
// user cancelled at the question, which sets NewCancelled.
bool newPreset(Session& session, const AskSavePath& askSavePath);
// The second half of Open, once the user chose `path`: real-time mode off, the file, the
// caption. A New that was cancelled before has left the old preset: it is reset first, so
// nothing of it survives into the file's preset. False when the file was refused.
bool openPresetFile(Session& session, const std::string& path, UserInterface* progress = nullptr);
// Save to `path`; the caption then names it. False after the error was shown.
bool savePresetFile(Session& session, const std::string& path, UserInterface* progress = nullptr);

} // namespace vela
