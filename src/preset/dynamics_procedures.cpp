#include "preset/dynamics_procedures.h"

#include "dsp/design_error.h"
#include "dsp/power_check.h"

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

// Sets an editor's sources from the stored values of an object.
void loadSources(DynamicsEditor& e, const dsp::TDYNAMIC& d, DynamicsKind kind, std::int32_t sampleRate) {
    e.threstrack.setRounded((0.45 - d.ThresholdDb) * 2.0);
    e.RatioTrack.setRounded(10.0 - d.Ratio);
    e.KneeTrack.setRounded(20.0 - 2.0 * d.ShapeDb);
    e.GainTrack.setRounded(181.0 - 10.0 * (d.CurveGainDb + 12.1));
    e.LimiterB.set(d.CompressorOn == 0);
    e.CompressorB.set(d.CompressorOn != 0);
    e.HoldTimeEdit.setValue(d.HoldMs(sampleRate));
    if (kind == DynamicsKind::Rms) e.RmsTimeConstEdit.setValue(d.RmsTime(sampleRate));
    e.DecayTimeEdit.setValue(d.Decay());
    e.GatePosition.setRounded(d.GateSetting);
    e.GateRampSource.setRounded(d.GateRamp);
}

// The editor's sources as they would show the object: the ranges and mappings an edit goes
// through, whichever object the editor shows.
DynamicsEditor sourcesFor(PresetContext& ctx, DynamicsKind kind, int object) {
    DynamicsEditor e = dynamicsEditor(ctx.p, kind);
    loadSources(e, dynamicsObject(ctx.p, kind, object), kind, ctx.SampleRate);
    return e;
}

// The power check of an RMS object, as a notice when the box's capacity is exceeded.
void noticePower(PresetContext& ctx, int object) {
    const std::string which = "RMS dynamics " + std::to_string(index(object) + 1) + ": ";
    try {
        const dsp::RmsPowerReport r = dsp::PowerCheckRms(ctx.p.RmsDynamics[index(object)]);
        if (r.ExceedsBoxPower)
            ctx.notice(MessageKind::Warning, which + r.WarningLine1 + " " + r.WarningLine2 + " (" + r.ShortForm + ")");
    } catch (const dsp::DesignError& error) {
        ctx.notice(MessageKind::Warning, which + "no power check: " + error.what());
    }
}

// The end of every edit: the dynamics procedure, then the power check of an RMS object.
void changed(PresetContext& ctx, DynamicsKind kind, int object) {
    DynamicsUpdate(ctx, kind, object);
    if (kind == DynamicsKind::Rms) noticePower(ctx, object);
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
    e.output = static_cast<int>(index(object));
    loadSources(e, dynamicsObject(ctx.p, kind, object), kind, ctx.SampleRate);
}

void DynamicsUpdate(PresetContext& ctx, DynamicsKind kind, int object) {
    dsp::TDYNAMIC& d = dynamicsObject(ctx.p, kind, object);
    try {
        d.BuildGainTable();
    } catch (const dsp::DesignError& error) {
        ctx.notice(MessageKind::Warning,
                   ctx.aboutFile(std::string(kind == DynamicsKind::Rms ? "RMS" : "Peak") + " dynamics " +
                                 std::to_string(index(object) + 1) + ": " + error.what() +
                                 "; the values were limited to the editor's ranges."));
        sanitize(sourcesFor(ctx, kind, object), d);
        d.BuildGainTable();
    }
    if (kind == DynamicsKind::Rms && index(object) < 2 && ctx.canSend())
        d.SendGainTable(*ctx.sink, static_cast<int>(index(object)) + 1);
    if (dynamicsEditor(ctx.p, kind).output == static_cast<int>(index(object))) LoadDynamicsIntoSources(ctx, kind, object);
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
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    if (std::isfinite(db)) e.threstrack.setRounded((0.45 - db) * 2.0);
    dynamicsObject(ctx.p, kind, object).ThresholdDb = static_cast<float>((1 - e.threstrack.position()) / 2.0);
    changed(ctx, kind, object);
}

void DynamicsSetRatio(PresetContext& ctx, DynamicsKind kind, int object, double ratio) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    if (std::isfinite(ratio)) e.RatioTrack.setRounded(10.0 - ratio);
    // The slider's far end would be a ratio of 0, which divides by zero: 1:1 is the least.
    dynamicsObject(ctx.p, kind, object).Ratio = static_cast<float>(std::max(10 - e.RatioTrack.position(), 1));
    changed(ctx, kind, object);
}

void DynamicsSetKnee(PresetContext& ctx, DynamicsKind kind, int object, double db) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    if (std::isfinite(db)) e.KneeTrack.setRounded(20.0 - 2.0 * db);
    dynamicsObject(ctx.p, kind, object).ShapeDb = static_cast<float>((20 - e.KneeTrack.position()) / 2.0);
    changed(ctx, kind, object);
}

void DynamicsSetCurveGain(PresetContext& ctx, DynamicsKind kind, int object, double db) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    if (std::isfinite(db)) e.GainTrack.setRounded(181.0 - 10.0 * (db + 12.1));
    dynamicsObject(ctx.p, kind, object).CurveGainDb = static_cast<float>((181 - e.GainTrack.position()) / 10.0 - 12.1);
    changed(ctx, kind, object);
}

void DynamicsSetCompressor(PresetContext& ctx, DynamicsKind kind, int object, bool compressor) {
    dynamicsObject(ctx.p, kind, object).CompressorOn = compressor ? 1 : 0;  // the Tag of the pressed switch
    changed(ctx, kind, object);
}

void DynamicsSetBypass(PresetContext& ctx, DynamicsKind kind, int object, bool bypass) {
    dynamicsObject(ctx.p, kind, object).Bypass = bypass;
    changed(ctx, kind, object);
}

void DynamicsSetHold(PresetContext& ctx, DynamicsKind kind, int object, double ms) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    e.HoldTimeEdit.setValue(ms);
    dynamicsObject(ctx.p, kind, object).SetHoldMs(e.HoldTimeEdit.value(), ctx.SampleRate);
    changed(ctx, kind, object);
}

void DynamicsSetRmsTime(PresetContext& ctx, int object, double value) {
    DynamicsEditor e = sourcesFor(ctx, DynamicsKind::Rms, object);
    e.RmsTimeConstEdit.setValue(value);
    dynamicsObject(ctx.p, DynamicsKind::Rms, object).SetRmsTime(e.RmsTimeConstEdit.value(), ctx.SampleRate);
    changed(ctx, DynamicsKind::Rms, object);
}

void DynamicsSetDecay(PresetContext& ctx, DynamicsKind kind, int object, double value) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    e.DecayTimeEdit.setValue(value);
    dynamicsObject(ctx.p, kind, object).SetDecay(e.DecayTimeEdit.value());
    changed(ctx, kind, object);
}

void DynamicsSetGate(PresetContext& ctx, DynamicsKind kind, int object, int position) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    e.GatePosition.setPosition(position);
    dynamicsObject(ctx.p, kind, object).GateSetting = static_cast<float>(e.GatePosition.position());
    changed(ctx, kind, object);
}

void DynamicsSetGateRamp(PresetContext& ctx, DynamicsKind kind, int object, int points) {
    DynamicsEditor e = sourcesFor(ctx, kind, object);
    e.GateRampSource.setPosition(points);
    dynamicsObject(ctx.p, kind, object).GateRamp = static_cast<float>(e.GateRampSource.position());
    changed(ctx, kind, object);
}

void DynamicsSetAmplifier(PresetContext& ctx, int object, AmplifierValue which, double value) {
    if (!(value > 0.0) || !std::isfinite(value)) throw std::invalid_argument("the amplifier values are positive numbers");
    dsp::TDYNAMIC& d = dynamicsObject(ctx.p, DynamicsKind::Rms, object);
    const auto v = static_cast<float>(value);
    switch (which) {
    case AmplifierValue::ImpedanceOhm: d.ImpedanceOhm = v; break;
    case AmplifierValue::BoxPowerW: d.BoxPowerW = v; break;
    case AmplifierValue::AmpPowerW: d.AmpPowerW = v; break;
    case AmplifierValue::AmpGain: d.AmpGain = v; break;
    }
    changed(ctx, DynamicsKind::Rms, object);
}

void DynamicsSetBridgeMode(PresetContext& ctx, int object, bool bridge) {
    dynamicsObject(ctx.p, DynamicsKind::Rms, object).AmpBridgeMode = bridge;
    changed(ctx, DynamicsKind::Rms, object);
}

}  // namespace vela
