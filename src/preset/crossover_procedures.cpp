#include "preset/crossover_procedures.h"

#include "dsp/design_error.h"
#include "dsp/number_text.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

namespace vela {
namespace {

std::size_t at(int output) { return output == 1 ? 1 : 0; }

CrossoverEdgeSources& sourcesOf(PresetParameters& p, int output, CrossoverEdge edge) {
    return (edge == CrossoverEdge::HighPass ? p.Crossover.L : p.Crossover.H)[at(output)];
}

dsp::TXOVERPB& edgeOf(dsp::TXOVER& x, CrossoverEdge edge) {
    return edge == CrossoverEdge::HighPass ? x.HighPass : x.LowPass;
}

void setFrequencySources(CrossoverEdgeSources& s, double hz) {
    s.FrecSpin.setRounded(hz);
    s.FrecEdit.setValue(s.FrecSpin.position());
}

// Designs the edge. A custom edge whose sections hold values that no design admits (a Q left
// over from another alignment) gets sound values for those sections, with a warning.
std::optional<dsp::BesselLimit> designEdge(PresetContext& ctx, dsp::TXOVERPB& e) {
    try {
        return e.DesignAtEdgeFrequency(ctx.SampleRate);
    } catch (const dsp::DesignError& error) {
        if (e.Alignment != dsp::kAlignCustomHighPass && e.Alignment != dsp::kAlignCustomLowPass) throw;
        const double nyquist = ctx.SampleRate / 2.0;
        for (int k = 0; k < dsp::kDesignedSections; ++k) {
            dsp::TSOS& s = e.Sections[static_cast<std::size_t>(k)];
            if (!(s.Q > 0.0) || !std::isfinite(s.Q)) s.Q = 0.707;
            if (!(s.Frequency > 0.0 && s.Frequency < nyquist)) s.Frequency = e.Frequency;
        }
        ctx.notice(MessageKind::Warning,
                   ctx.aboutFile(std::string("Custom crossover: ") + error.what() + "; its sections were reset."));
    }
    return e.DesignAtEdgeFrequency(ctx.SampleRate);
}

}  // namespace

std::string CrossoverLabel(const dsp::TXOVERPB& e, CrossoverEdge side) {
    if (e.Alignment == dsp::kAlignBypass) return "  -- ";
    const std::uint8_t custom = side == CrossoverEdge::HighPass ? dsp::kAlignCustomHighPass : dsp::kAlignCustomLowPass;
    if (e.Alignment == custom) return "   C ";
    return dsp::plainText(roundEven(e.Frequency));
}

void CrossoverParameterUpdate(PresetContext& ctx, int output, CrossoverEdge edge) {
    PresetParameters& p = ctx.p;
    const std::size_t out = at(output);
    dsp::TXOVER& x = p.Crossovers[out];
    CrossoverEdgeSources& src = sourcesOf(p, output, edge);
    dsp::TXOVERPB& e = edgeOf(x, edge);

    // Keep the edges from crossing unless the other edge is switched off.
    double f = src.FrecSpin.position();
    if (edge == CrossoverEdge::HighPass) {
        if (f >= x.LowPass.Frequency && !p.LowPassOff[out]) f = roundEven(x.LowPass.Frequency);
    } else {
        if (f <= x.HighPass.Frequency && !p.HighPassOff[out]) f = roundEven(x.HighPass.Frequency);
    }
    e.Frequency = f;
    setFrequencySources(src, f);
    e.Order = src.OrdenSpin.position();
    const int index = src.TipoXCombo.index();
    e.Alignment = static_cast<std::uint8_t>(index == 0 ? 0 : edge == CrossoverEdge::HighPass ? 2 * index : 2 * index - 1);

    if (const auto limit = designEdge(ctx, e)) {
        ctx.notice(MessageKind::Plain, limit->Message());
        setFrequencySources(src, limit->MaximumHz);
    }
    // Linkwitz-Riley stores an odd order raised by one; the spin control shows it.
    src.OrdenSpin.setPosition(e.Order);

    const dsp::SectionList cascade = x.Cascade();
    dsp::ComputeResponse(p.Grid, cascade.span(), p.Crossover.Magnitude[out], p.Crossover.Phase[out]);
    p.Crossover.Fc1Label[out] = CrossoverLabel(x.HighPass, CrossoverEdge::HighPass);
    p.Crossover.Fc2Label[out] = CrossoverLabel(x.LowPass, CrossoverEdge::LowPass);
    if (ctx.canSend()) e.SendRealTime(*ctx.sink);
}

void LoadCrossoverIntoSources(PresetContext& ctx, int output) {
    PresetParameters& p = ctx.p;
    const dsp::TXOVER& x = p.Crossovers[at(output)];
    CrossoverEdgeSources& l = sourcesOf(p, output, CrossoverEdge::HighPass);
    CrossoverEdgeSources& h = sourcesOf(p, output, CrossoverEdge::LowPass);
    l.OrdenSpin.setPosition(x.HighPass.Order);
    h.OrdenSpin.setPosition(x.LowPass.Order);
    l.TipoXCombo.setIndex(x.HighPass.Alignment == 0 ? 0 : roundToInt(x.HighPass.Alignment / 2.0));
    h.TipoXCombo.setIndex(x.LowPass.Alignment == 0 ? 0 : roundToInt((x.LowPass.Alignment + 1) / 2.0));
    setFrequencySources(l, x.HighPass.Frequency);
    setFrequencySources(h, x.LowPass.Frequency);
    CrossoverParameterUpdate(ctx, output, CrossoverEdge::HighPass);
    CrossoverParameterUpdate(ctx, output, CrossoverEdge::LowPass);
}

void CrossoverSetFrequency(PresetContext& ctx, int output, CrossoverEdge edge, std::int32_t hz) {
    setFrequencySources(sourcesOf(ctx.p, output, edge), hz);
    CrossoverParameterUpdate(ctx, output, edge);
}

void CrossoverSetFrequencyText(PresetContext& ctx, int output, CrossoverEdge edge, std::string_view text) {
    std::int32_t hz = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), hz);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) {
        ctx.notice(MessageKind::Plain, "Conversion Error");
        hz = static_cast<std::int32_t>(roundToInt(edgeOf(ctx.p.Crossovers[at(output)], edge).Frequency));
    }
    CrossoverSetFrequency(ctx, output, edge, hz);
}

void CrossoverSetOrder(PresetContext& ctx, int output, CrossoverEdge edge, std::int32_t order) {
    sourcesOf(ctx.p, output, edge).OrdenSpin.setPosition(order);
    CrossoverParameterUpdate(ctx, output, edge);
}

void CrossoverSetAlignmentIndex(PresetContext& ctx, int output, CrossoverEdge edge, int listIndex) {
    sourcesOf(ctx.p, output, edge).TipoXCombo.setIndex(listIndex);
    CrossoverParameterUpdate(ctx, output, edge);
}

void CrossoverSetOff(PresetContext& ctx, int output, CrossoverEdge edge, bool off) {
    auto& flags = edge == CrossoverEdge::HighPass ? ctx.p.HighPassOff : ctx.p.LowPassOff;
    flags[at(output)] = off ? 1 : 0;
    CrossoverParameterUpdate(ctx, output, CrossoverEdge::HighPass);
    CrossoverParameterUpdate(ctx, output, CrossoverEdge::LowPass);
}

void CrossoverSetSection(PresetContext& ctx, int output, CrossoverEdge edge, int section, double hz, double q) {
    dsp::TXOVERPB& e = edgeOf(ctx.p.Crossovers[at(output)], edge);
    NumberSource f = sourcesOf(ctx.p, output, edge).FrecEdit;
    NumberSource quality = ctx.p.Equaliser.QEdit;
    if (section < 1 || section > dsp::kDesignedSections)
        throw std::invalid_argument("crossover section " + std::to_string(section) + " is outside 1..4");
    if (!f.setValue(hz) || !quality.setValue(q)) throw std::invalid_argument("crossover section values must be numbers");
    e.Sections[static_cast<std::size_t>(section - 1)].Frequency = f.value();
    e.Sections[static_cast<std::size_t>(section - 1)].Q = quality.value();
    CrossoverParameterUpdate(ctx, output, edge);
}

void CrossoverDefaults(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    for (int out = 0; out < kOutputs; ++out) {
        dsp::TXOVER& x = p.Crossovers[at(out)];
        x = dsp::TXOVER{};
        x.LowPass.Frequency = 5000.0;
        x.HighPass.Frequency = 100.0;
        x.LowPass.Order = 2;
        x.HighPass.Order = 2;
        x.LowPass.Alignment = dsp::kAlignBypass;
        x.HighPass.Alignment = dsp::kAlignBypass;
        p.LowPassOff[at(out)] = 0;
        p.HighPassOff[at(out)] = 0;
        x.AssignAddresses(out + 1);
    }
    LoadCrossoverIntoSources(ctx, 0);
    LoadCrossoverIntoSources(ctx, 1);
}

}  // namespace vela
