#pragma once
// The equaliser's parameter procedures: defaults, the editor's output and band selection, and
// the edits of one band. Every edit names its output (0 or 1) and band (1..8), goes through
// the editor's sources (their ranges and mappings), redesigns that band and, in real-time
// mode, sends that band's five coefficients only.

#include "preset/preset_context.h"

namespace vela {

// Real-time address of band 1..8 of output 0 or 1.
std::int32_t EqualiserBandAddress(int output, int band);

void EqualiserDefaults(PresetContext& ctx);
// Writes the band the editor shows into the sources: its type (as list index), Q, gain and
// frequency.
void EqualiserBandToSources(PresetContext& ctx);
// The editor's selection, for the windows that show one band at a time: output 0 or 1 with
// its remembered band, or band 1..8 of the output shown. Each loads the band into the sources
// and redesigns it.
void EqualiserSelectOutput(PresetContext& ctx, int output);
void EqualiserSelectBand(PresetContext& ctx, int band);

// Edits of one band through the sources' ranges and mappings.
void EqualiserSetType(PresetContext& ctx, int output, int band, int listIndex);
void EqualiserSetGain(PresetContext& ctx, int output, int band, double db);           // FilterGainEdit
void EqualiserSetGainPosition(PresetContext& ctx, int output, int band, int p);       // FilterGainSlider
void EqualiserSetFrequency(PresetContext& ctx, int output, int band, double hz);      // FrecEdit
void EqualiserSetFrequencyPosition(PresetContext& ctx, int output, int band, int p);  // FrecSlider
void EqualiserSetQ(PresetContext& ctx, int output, int band, double q);               // QEdit
void EqualiserSetQPosition(PresetContext& ctx, int output, int band, int p);          // QSlider

// Redesigns every one of the sixteen bands from its stored type, gain, frequency and Q. A band
// whose stored values no design admits is limited to the editor's ranges first, with a notice.
void RedesignAllBands(PresetContext& ctx);

}  // namespace vela
