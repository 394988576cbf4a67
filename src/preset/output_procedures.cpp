#include "preset/output_procedures.h"

#include "dsp/coefficient_word.h"
#include "dsp/number_text.h"

#include <algorithm>
#include <cmath>

namespace vela {
namespace {

std::size_t at(int output) { return output == 1 ? 1 : 0; }

void showDelay(PresetContext& ctx, int output) {
    PresetParameters& p = ctx.p;
    const std::size_t n = at(output);
    const double c = SpeedOfSound(p.Temperature);
    p.DelayMs[n] = p.OutputDelay[n] / static_cast<double>(ctx.SampleRate) * 1000.0;
    p.DelayCm[n] = p.DelayMs[n] / 1000.0 * c * 100.0;
    p.DelaySummary[n] = dsp::fixedText(p.OutputDelay[n] / 48000.0 * 1000.0, 2) + " ms";
}

}  // namespace

double SpeedOfSound(std::int32_t temperature) { return 20.06 * std::sqrt(temperature + 273.0); }

void OutputDefaults(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    for (std::size_t n = 0; n < kOutputs; ++n) {
        p.OutputTrack[n].setPosition(61);
        p.OutputDb[n] = 0.0;
        p.PolaritySign[n] = 1.0f;
        p.OutputGain[n] = 1.0;
        p.PolOutput[n].set(false);
        p.MuteOutput[n].set(false);
        // With the switch off the output is not muted, whatever it was before.
        p.MuteFactor[n] = 1.0;
    }
}

void OutputGainUpdate(PresetContext& ctx, int output) {
    PresetParameters& p = ctx.p;
    const std::size_t n = at(output);
    const double db = (361 - p.OutputTrack[n].position()) * 0.1 - 30.0;
    p.OutputDb[n] = db;
    p.OutputGain[n] = std::pow(10.0, db / 20.0) * p.PolaritySign[n];
    p.MuteFactor[n] = p.MuteOutput[n].on() ? 0.0 : 1.0;
    if (ctx.canSend()) {
        ctx.sink->setTarget(0);
        const std::uint32_t word = dsp::coefficientWord(p.OutputGain[n] * p.MuteFactor[n]);
        ctx.sink->send(dsp::RealTimeType::OneWordType3, static_cast<std::uint16_t>(kOutputGainAddress + n + 1), {&word, 1});
    }
}

void OutputSetLevelPosition(PresetContext& ctx, int output, int position) {
    ctx.p.OutputTrack[at(output)].setPosition(position);
    OutputGainUpdate(ctx, output);
}

void OutputSetLevelDb(PresetContext& ctx, int output, double db) {
    if (!std::isfinite(db)) return;
    ctx.p.OutputTrack[at(output)].setRounded((db + 30.0) * -10.0 + 361.0);
    OutputGainUpdate(ctx, output);
}

void OutputSetPolarity(PresetContext& ctx, int output, bool inverted) {
    ctx.p.PolOutput[at(output)].set(inverted);
    ctx.p.PolaritySign[at(output)] = inverted ? -1.0f : 1.0f;
    OutputGainUpdate(ctx, output);
}

void OutputSetMute(PresetContext& ctx, int output, bool muted) {
    ctx.p.MuteOutput[at(output)].set(muted);
    OutputGainUpdate(ctx, output);
}

double OutputPositionOfGain(double gain) {
    const double magnitude = std::abs(gain);
    if (std::isnan(magnitude)) return 61.0;
    // No level at all sits at the slider's lowest end.
    if (magnitude == 0.0) return 361.0;
    return 361.0 - (20.0 * std::log10(magnitude) + 30.0) * 10.0;
}

void OutputSwitchesToModel(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    for (std::size_t n = 0; n < kOutputs; ++n) {
        p.PolaritySign[n] = p.PolOutput[n].on() ? -1.0f : 1.0f;
        p.MuteFactor[n] = p.MuteOutput[n].on() ? 0.0 : 1.0;
        p.OutputTrack[n].setRounded(OutputPositionOfGain(p.OutputGain[n]));
        p.OutputDb[n] = (361 - p.OutputTrack[n].position()) * 0.1 - 30.0;
    }
}

void SetInputRoute(PresetParameters& p, int output, std::int32_t code) {
    const std::size_t n = at(output);
    p.InputRoute[n] = code;
    p.RouteGainA[n] = code == 0 ? 1.0 : 0.0;
    p.RouteGainB[n] = code == 1 ? 1.0 : 0.0;
    p.RouteGainSum[n] = code == 2 ? 1.0 : 0.0;
}

void AdvanceInputRoute(PresetParameters& p, int output) {
    const std::int32_t code = p.InputRoute[at(output)] + 1;
    SetInputRoute(p, output, code >= 2 || code < 0 ? 0 : code);
}

void DelayUpdate(PresetContext& ctx, int output) {
    PresetParameters& p = ctx.p;
    const std::size_t n = at(output);
    p.OutputDelay[n] = std::min(139 - p.DelTrack[n].position(), 140);
    showDelay(ctx, output);
    if (ctx.canSend()) {
        const auto value = static_cast<std::uint32_t>(p.OutputDelay[n] + 1);
        ctx.sink->send(dsp::RealTimeType::OneWord, static_cast<std::uint16_t>(kOutputDelayAddress + n + 1), {&value, 1});
    }
}

void DelaySetPosition(PresetContext& ctx, int output, int position) {
    ctx.p.DelTrack[at(output)].setPosition(position);
    DelayUpdate(ctx, output);
}

void DelaySetSamples(PresetContext& ctx, int output, std::int32_t samples) {
    DelaySetPosition(ctx, output, static_cast<int>(std::clamp<std::int64_t>(139 - std::int64_t{samples}, -1, 141)));
}

void InputDelayUpdate(PresetContext& ctx) { ctx.p.InputDelay = 4159 - ctx.p.InDeltrack.position(); }

void InputDelaySetSamples(PresetContext& ctx, std::int32_t samples) {
    ctx.p.InDeltrack.setPosition(4159 - static_cast<std::int64_t>(samples));
    InputDelayUpdate(ctx);
}

void DistanceUpdate(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    const double c = SpeedOfSound(p.Temperature);
    for (std::size_t n = 0; n < kOutputs; ++n)
        p.DistanceCm[n] = p.SpeakerDistance[n] / static_cast<double>(ctx.SampleRate) * c * 100.0;
}

void TemperatureUpdate(PresetContext& ctx, std::int32_t celsius) {
    ctx.p.TemperaturaSpin.setPosition(celsius);
    ctx.p.Temperature = ctx.p.TemperaturaSpin.position();
    showDelay(ctx, 0);
    showDelay(ctx, 1);
    DistanceUpdate(ctx);
}

void DelayDefaults(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    p.TemperaturaSpin.setPosition(25);
    p.Temperature = 25;
    for (int n = 0; n < kOutputs; ++n) DelaySetPosition(ctx, n, 139);
    p.InDeltrack.setPosition(4159);
    InputDelayUpdate(ctx);
    p.DistanceCm = {0.0, 0.0};
}

void LoudnessUpdate(PresetContext& ctx, int output) {
    PresetParameters& p = ctx.p;
    const std::size_t n = at(output);
    dsp::TSOS& s = p.Loudness[n];
    s.Gain = (121 - p.LoudnessGainSlider[n].position() - 1) / 10.0;
    if (s.FilterType == dsp::kCodeParametricAdaptive) {
        s.Q = 1.5;
        s.DesignParametricAdaptive(ctx.SampleRate);
    } else if (s.FilterType == dsp::kCodeHighPassQ) {
        s.Q = s.Gain / 3.8 + 0.707;
        s.DesignHighPassQ(ctx.SampleRate);
    }
    if (ctx.canSend()) s.SendRealTime(*ctx.sink);
    const dsp::TSOS* section = &s;
    dsp::ComputeResponse(p.Grid, {&section, 1}, p.LoudnessMagnitude[n], p.LoudnessPhase[n]);
}

void LoudnessSetPosition(PresetContext& ctx, int output, int position) {
    ctx.p.LoudnessGainSlider[at(output)].setPosition(position);
    LoudnessUpdate(ctx, output);
}

void LoudnessDefaults(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    for (auto& s : p.Loudness) {
        s = dsp::TSOS{};
        s.FilterType = dsp::kCodeParametricAdaptive;
        s.Q = 1.5;
        s.Frequency = 55.0;
        s.DspAddress = kLoudnessAddress;
    }
    LoudnessSetPosition(ctx, 1, 121);
    LoudnessSetPosition(ctx, 0, 121);
}

}  // namespace vela
