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

// Sets the editor's sources from the stored values of an object and makes it the one shown
// (the editor's selection, for the windows that show one object at a time).
void LoadDynamicsIntoSources(PresetContext& ctx, DynamicsKind kind, int object);
// The dynamics procedure: builds the object's gain table and, for the RMS objects of outputs 1
// and 2 in real-time mode, sends that table. Stored values that no curve admits (from a
// damaged file) are replaced by the editor's limits, with a notice. The editor's sources
// follow when it shows the object.
void DynamicsUpdate(PresetContext& ctx, DynamicsKind kind, int object);

// Edits of one object through the ranges and mappings of its editor's sources, whichever
// object the editor shows; each ends with DynamicsUpdate and, for an RMS object, the power
// check, whose warning becomes a notice when the box's capacity is exceeded.
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
