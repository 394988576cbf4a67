#pragma once
// Output level, mute and polarity, the input routing, the delays and the sub-reinforcement
// ("loudness") filter: their parameter procedures and the defaults of New.

#include "preset/preset_context.h"

#include <string>

namespace vela {

inline constexpr std::uint16_t kOutputGainAddress = 2559;  // + output number
inline constexpr std::uint16_t kOutputDelayAddress = 170;  // + output number
inline constexpr std::int32_t kLoudnessAddress = 116;

// Speed of sound in m/s at a temperature in degrees Celsius.
double SpeedOfSound(std::int32_t temperature);

// Output level, mute and polarity (output 0 or 1).
void OutputDefaults(PresetContext& ctx);
void OutputGainUpdate(PresetContext& ctx, int output);
void OutputSetLevelPosition(PresetContext& ctx, int output, int position);  // Output1Track
void OutputSetLevelDb(PresetContext& ctx, int output, double db);
void OutputSetPolarity(PresetContext& ctx, int output, bool inverted);
void OutputSetMute(PresetContext& ctx, int output, bool muted);
// After a file is opened: sign and mute factor from the switches, the level and its slider from
// the stored gain.
void OutputSwitchesToModel(PresetContext& ctx);
// The slider position of a linear gain: Round(361 - (dB + 30) x 10).
double OutputPositionOfGain(double gain);

// The route codes: -1 not chosen, 0 input A, 1 input B, 2 both.
void SetInputRoute(PresetParameters& p, int output, std::int32_t code);
// The route button: advances the code by one, wrapping 2 back to 0.
void AdvanceInputRoute(PresetParameters& p, int output);

// Delays.
void DelayUpdate(PresetContext& ctx, int output);
void DelaySetPosition(PresetContext& ctx, int output, int position);  // Del1track, Del2track
void DelaySetSamples(PresetContext& ctx, int output, std::int32_t samples);
void InputDelayUpdate(PresetContext& ctx);
void InputDelaySetSamples(PresetContext& ctx, std::int32_t samples);
void TemperatureUpdate(PresetContext& ctx, std::int32_t celsius);
// The distance fields: SpeakerDistance in cm at the present temperature.
void DistanceUpdate(PresetContext& ctx);
void DelayDefaults(PresetContext& ctx);

// Sub reinforcement.
void LoudnessDefaults(PresetContext& ctx);
// Output 0 or 1 from its gain slider; in real-time mode sends that output's section.
void LoudnessUpdate(PresetContext& ctx, int output);
void LoudnessSetPosition(PresetContext& ctx, int output, int position);

}  // namespace vela
