#include "preset/dynamics_procedures.h"

#include "dsp/design_error.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vela {
namespace {

std::size_t index(int object) { return static_cast<std::size_t>(std::clamp(object, 0, kDynamicsObjects - 1)); }

// A stored value that is not finite or lies beyond the slider's ends becomes the slider's.
template <typename ValueAt>
void limitToSlider(float& stored, const PositionSource& slider, ValueAt valueAt) {
    const double a = valueAt(slider.minimum()), b = valueAt(slider.maximum());
    if (!(stored >= std::min(a, b) && stored <= std::max(a, b))) stored = static_cast<float>(valueAt(slider.position()));
}

// Replaces the stored values that no curve admits (from a damaged file): the curve's own by
// the editor's sliders, a gate outside the table by the nearest that fits.
void sanitize(const DynamicsEditor& e, dsp::TDYNAMIC& d) {
    limitToSlider(d.ThresholdDb, e.threstrack, [](int pos) { return (1 - pos) / 2.0; });
    // A ratio of 0 (the slider's far end) would divide by zero; 1:1 is the least there is.
    if (!(d.Ratio > 0.0f) || !std::isfinite(d.Ratio))
        d.Ratio = static_cast<float>(std::max(10 - e.RatioTrack.position(), 1));
    limitToSlider(d.ShapeDb, e.KneeTrack, [](int pos) { return (20 - pos) / 2.0; });
    limitToSlider(d.CurveGainDb, e.GainTrack, [](int pos) { return (181 - pos) / 10.0 - 12.1; });
    d.GateSetting = std::isfinite(d.GateSetting) ? std::clamp(std::nearbyint(d.GateSetting), 0.0f, 33.0f) : 0.0f;
    d.GateRamp = std::isfinite(d.GateRamp) ? std::clamp(std::nearbyint(d.GateRamp), 1.0f, 10.0f) : 2.0f;
}

// Shows the object in its editor and returns it.
dsp::TDYNAMIC& edit(PresetContext& ctx, DynamicsKind kind, int object) {
    LoadDynamicsIntoSources(ctx, kind, object);
    return dynamicsObject(ctx.p, kind, object);
}

}  // namespace

dsp::TDYNAMIC& dynamicsObject(PresetParameters& p, DynamicsKind kind, int object) {
    return kind == DynamicsKind::Rms ? p.RmsDynamics[index(object)] : p.PeakDynamics[index(object)];
}

DynamicsEditor& dynamicsEditor(PresetParameters& p, DynamicsKind kind) {
    return kind == DynamicsKind::Rms ? p.RmsEditor : p.PeakEditor;
}

void LoadDynamicsIntoSources(PresetContext& ctx, DynamicsKind kind, int object) {
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    const dsp::TDYNAMIC& d = dynamicsObject(ctx.p, kind, object);
    e.output = static_cast<int>(index(object));
    e.threstrack.setRounded((0.45 - d.ThresholdDb) * 2.0);
    e.RatioTrack.setRounded(10.0 - d.Ratio);
    e.KneeTrack.setRounded(20.0 - 2.0 * d.ShapeDb);
    e.GainTrack.setRounded(181.0 - 10.0 * (d.CurveGainDb + 12.1));
    e.LimiterB.set(d.CompressorOn == 0);
    e.CompressorB.set(d.CompressorOn != 0);
    e.HoldTimeEdit.setValue(d.HoldMs(ctx.SampleRate));
    if (kind == DynamicsKind::Rms) e.RmsTimeConstEdit.setValue(d.RmsTime(ctx.SampleRate));
    e.DecayTimeEdit.setValue(d.Decay());
    e.GatePosition.setRounded(d.GateSetting);
    e.GateRampSource.setRounded(d.GateRamp);
}

void DynamicsUpdate(PresetContext& ctx, DynamicsKind kind, int object) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    try {
        d.BuildGainTable();
    } catch (const dsp::DesignError& error) {
        ctx.ui.warning(ctx.aboutFile(std::string(kind == DynamicsKind::Rms ? "RMS" : "Peak") + " dynamics " +
                                     std::to_string(index(object) + 1) + ": " + error.what() +
                                     "; the values were limited to the editor's ranges."));
        sanitize(dynamicsEditor(ctx.p, kind), d);
        d.BuildGainTable();
    }
    if (kind == DynamicsKind::Rms && index(object) < 2 && ctx.canSend())
        d.SendGainTable(*ctx.sink, static_cast<int>(index(object)) + 1);
}

void RmsDynamicsDefaults(PresetContext& ctx) {
    for (auto& d : ctx.p.RmsDynamics) {
        d = dsp::TDYNAMIC{};
        d.ApplyRmsDefaults(ctx.SampleRate);
    }
    LoadDynamicsIntoSources(ctx, DynamicsKind::Rms, 0);
}

void PeakDynamicsDefaults(PresetContext& ctx) {
    for (auto& d : ctx.p.PeakDynamics) {
        d = dsp::TDYNAMIC{};
        d.ApplyPeakDefaults(ctx.SampleRate);
    }
    LoadDynamicsIntoSources(ctx, DynamicsKind::Peak, 0);
}

void DynamicsSetThreshold(PresetContext& ctx, DynamicsKind kind, int object, double db) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    if (std::isfinite(db)) e.threstrack.setRounded((0.45 - db) * 2.0);
    d.ThresholdDb = static_cast<float>((1 - e.threstrack.position()) / 2.0);
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetRatio(PresetContext& ctx, DynamicsKind kind, int object, double ratio) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    if (std::isfinite(ratio)) e.RatioTrack.setRounded(10.0 - ratio);
    // The slider's far end would be a ratio of 0, which divides by zero: 1:1 is the least.
    d.Ratio = static_cast<float>(std::max(10 - e.RatioTrack.position(), 1));
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetKnee(PresetContext& ctx, DynamicsKind kind, int object, double db) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    if (std::isfinite(db)) e.KneeTrack.setRounded(20.0 - 2.0 * db);
    d.ShapeDb = static_cast<float>((20 - e.KneeTrack.position()) / 2.0);
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetCurveGain(PresetContext& ctx, DynamicsKind kind, int object, double db) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    if (std::isfinite(db)) e.GainTrack.setRounded(181.0 - 10.0 * (db + 12.1));
    d.CurveGainDb = static_cast<float>((181 - e.GainTrack.position()) / 10.0 - 12.1);
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetCompressor(PresetContext& ctx, DynamicsKind kind, int object, bool compressor) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    e.LimiterB.set(!compressor);
    e.CompressorB.set(compressor);
    d.CompressorOn = compressor ? 1 : 0;  // the Tag of the pressed switch
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetBypass(PresetContext& ctx, DynamicsKind kind, int object, bool bypass) {
    edit(ctx, kind, object).Bypass = bypass;
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetHold(PresetContext& ctx, DynamicsKind kind, int object, double ms) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    e.HoldTimeEdit.setValue(ms);
    d.SetHoldMs(e.HoldTimeEdit.value(), ctx.SampleRate);
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetRmsTime(PresetContext& ctx, int object, double value) {
    dsp::TDYNAMIC& d = edit(ctx, DynamicsKind::Rms, object);
    ctx.p.RmsEditor.RmsTimeConstEdit.setValue(value);
    d.SetRmsTime(ctx.p.RmsEditor.RmsTimeConstEdit.value(), ctx.SampleRate);
    DynamicsUpdate(ctx, DynamicsKind::Rms, object);
}

void DynamicsSetDecay(PresetContext& ctx, DynamicsKind kind, int object, double value) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    e.DecayTimeEdit.setValue(value);
    d.SetDecay(e.DecayTimeEdit.value());
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetGate(PresetContext& ctx, DynamicsKind kind, int object, int position) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    e.GatePosition.setPosition(position);
    d.GateSetting = static_cast<float>(e.GatePosition.position());
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetGateRamp(PresetContext& ctx, DynamicsKind kind, int object, int points) {
    dsp::TDYNAMIC& d = edit(ctx, kind, object);
    DynamicsEditor& e = dynamicsEditor(ctx.p, kind);
    e.GateRampSource.setPosition(points);
    d.GateRamp = static_cast<float>(e.GateRampSource.position());
    DynamicsUpdate(ctx, kind, object);
}

void DynamicsSetAmplifier(PresetContext& ctx, int object, AmplifierValue which, double value) {
    if (!(value > 0.0) || !std::isfinite(value)) throw std::invalid_argument("the amplifier values are positive numbers");
    dsp::TDYNAMIC& d = edit(ctx, DynamicsKind::Rms, object);
    const auto v = static_cast<float>(value);
    switch (which) {
    case AmplifierValue::ImpedanceOhm: d.ImpedanceOhm = v; break;
    case AmplifierValue::BoxPowerW: d.BoxPowerW = v; break;
    case AmplifierValue::AmpPowerW: d.AmpPowerW = v; break;
    case AmplifierValue::AmpGain: d.AmpGain = v; break;
    }
    DynamicsUpdate(ctx, DynamicsKind::Rms, object);
}

void DynamicsSetBridgeMode(PresetContext& ctx, int object, bool bridge) {
    edit(ctx, DynamicsKind::Rms, object).AmpBridgeMode = bridge;
    DynamicsUpdate(ctx, DynamicsKind::Rms, object);
}

}  // namespace vela
