#pragma once
// Saving and opening preset files, and the library maker's batch read.

#include "core/session_state.h"
#include "preset/preset_context.h"
#include "preset/preset_record.h"

#include <functional>
#include <span>
#include <string>

namespace vela {

inline constexpr const char* kCaptionPrefix = "HALDA40 - Digital Audio Controller - KSN : ";
inline constexpr int kMaxBatchFiles = 13;

// The record of the present model, with the header text naming `path`.
PresetRecord RecordFromModel(const PresetParameters& p, std::int32_t sampleRate, const std::string& path);

// Writes the record of the present model to `path` through a temporary file beside it, so a
// failure never leaves a half-written preset. Returns false after showing the system's error.
bool SavePreset(PresetContext& ctx, const std::string& path);

// Undesignable: values that no designer could turn into a filter, even limited.
enum class OpenResult { Opened, OpenedOlder, Unreadable, WrongSize, WrongSignature, Undesignable };

// Validates, reads and applies one preset file, then recomputes the coefficient tables (the
// peak limiters' tables stay as they were). Refused files leave the model unchanged.
OpenResult OpenPreset(PresetContext& ctx, const std::string& path);
// The same for a file's bytes already read; `path` names it in the messages.
OpenResult OpenPresetBytes(PresetContext& ctx, const std::string& path, std::span<const std::uint8_t> bytes);

// The values of a decoded record into the model, section by section, and the recompute steps.
void ApplyRecord(PresetContext& ctx, const PresetRecord& record, PresetProgress& progress);
void RecomputeAfterOpen(PresetContext& ctx, PresetProgress& progress);

// The library maker's batch: at most 13 files, each opened as above and followed by `onImage`
// (image generation and appending). A wrong size or signature stops the batch; older files
// pass. Returns the number of files handed to onImage.
int BatchReadPresets(PresetContext& ctx, std::span<const std::string> paths,
                     const std::function<void()>& onImage);

// One warning for the files that BatchReadPresets listed in PresetContext::peakSettingsDiffer.
std::string peakSettingsWarning(std::span<const std::string> files, std::int32_t sampleRate);

// The main window's caption after opening or saving `path`.
std::string CaptionForFile(const std::string& path);

// Saves to `path`; the caption then names it.
bool savePresetAs(PresetContext& ctx, const std::string& path);

} // namespace vela
