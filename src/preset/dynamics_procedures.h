#pragma once
// The dynamics editors' parameter sources and procedures: the RMS and peak defaults of New,
// loading an object into its editor, and the edits that rebuild the gain table.

#include "preset/preset_context.h"

namespace vela {

enum class DynamicsKind { Rms, Peak };

// RmsDynamics or PeakDynamics entry 0..2, and the editor that shows it.
dsp::TDYNAMIC& dynamicsObject(PresetParameters& p, DynamicsKind kind, int object);
DynamicsEditor& dynamicsEditor(PresetParameters& p, DynamicsKind kind);

void RmsDynamicsDefaults(PresetContext& ctx);
void PeakDynamicsDefaults(PresetContext& ctx);

// Sets the editor's sources from the stored values of an object and makes it the one shown.
void LoadDynamicsIntoSources(PresetContext& ctx, DynamicsKind kind, int object);
// The dynamics procedure: shows the object, builds its gain table and, for the RMS objects of
// outputs 1 and 2 in real-time mode, sends the table. Stored values that no curve admits
// (from a damaged file) are replaced by the editor's, with a warning.
void DynamicsUpdate(PresetContext& ctx, DynamicsKind kind, int object);

// Edits through the editor's sources; each ends with DynamicsUpdate.
void DynamicsSetThreshold(PresetContext& ctx, DynamicsKind kind, int object, double db);
void DynamicsSetRatio(PresetContext& ctx, DynamicsKind kind, int object, double ratio);
void DynamicsSetKnee(PresetContext& ctx, DynamicsKind kind, int object, double db);
void DynamicsSetCurveGain(PresetContext& ctx, DynamicsKind kind, int object, double db);
void DynamicsSetCompressor(PresetContext& ctx, DynamicsKind kind, int object, bool compressor);
void DynamicsSetBypass(PresetContext& ctx, DynamicsKind kind, int object, bool bypass);
void DynamicsSetHold(PresetContext& ctx, DynamicsKind kind, int object, double ms);
void DynamicsSetRmsTime(PresetContext& ctx, int object, double value);
void DynamicsSetDecay(PresetContext& ctx, DynamicsKind kind, int object, double value);
void DynamicsSetGate(PresetContext& ctx, DynamicsKind kind, int object, int position);
void DynamicsSetGateRamp(PresetContext& ctx, DynamicsKind kind, int object, int points);

// Amplifier and loudspeaker data of the power check. Values that are not positive numbers
// throw std::invalid_argument and change nothing.
enum class AmplifierValue { ImpedanceOhm, BoxPowerW, AmpPowerW, AmpGain };
void DynamicsSetAmplifier(PresetContext& ctx, int object, AmplifierValue which, double value);
void DynamicsSetBridgeMode(PresetContext& ctx, int object, bool bridge);

}  // namespace vela
