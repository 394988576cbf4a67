#pragma once
// The equaliser's parameter procedures: defaults, band to sources, the apply step with its
// real-time send, output and band selection, and the edits through the editor's sources.

#include "preset/preset_context.h"

namespace vela {

// Real-time address of band 1..8 of output 0 or 1.
std::int32_t EqualiserBandAddress(int output, int band);

void EqualiserDefaults(PresetContext& ctx);
// Writes the selected band's type (as list index), Q, gain and frequency into the sources.
void EqualiserBandToSources(PresetContext& ctx);
// Redesigns the selected band and, in real-time mode, sends its five coefficients.
void RedesignWithSend(PresetContext& ctx);
// Selects output 0 or 1 and restores its remembered band, which loads and redesigns it.
void EqualiserSelectOutput(PresetContext& ctx, int output);
// Selects band 1..8 of the selected output, loads it into the sources and redesigns it.
void EqualiserSelectBand(PresetContext& ctx, int band);

// Edits of the selected band through its sources; each ends with RedesignWithSend.
void EqualiserSetType(PresetContext& ctx, int listIndex);
void EqualiserSetGain(PresetContext& ctx, double db);         // FilterGainEdit
void EqualiserSetGainPosition(PresetContext& ctx, int p);     // FilterGainSlider
void EqualiserSetFrequency(PresetContext& ctx, double hz);    // FrecEdit
void EqualiserSetFrequencyPosition(PresetContext& ctx, int p);  // FrecSlider
void EqualiserSetQ(PresetContext& ctx, double q);             // QEdit
void EqualiserSetQPosition(PresetContext& ctx, int p);        // QSlider

// Redesigns every one of the sixteen bands from its stored type, gain, frequency and Q. A band
// whose stored values no design admits is limited to the editor's ranges first, with a warning.
void RedesignAllBands(PresetContext& ctx);

}  // namespace vela
