#include "preset/equaliser_procedures.h"

#include "dsp/design_error.h"
#include "dsp/filter_types.h"

#include <cmath>

namespace vela {
namespace {

dsp::TSOS& selectedBand(PresetContext& ctx) {
    const EqualiserEditor& e = ctx.p.Equaliser;
    return ctx.p.band(e.selectedOutput, e.SpinFiltro.position());
}

double frequencyOfPosition(int p) {
    const double x = 1.0 - p / 20000.0;
    return 20000.0 * x * x * x;
}
double positionOfFrequency(double f) { return 20000.0 - 20000.0 * std::cbrt(f / 20000.0); }
double positionOfQ(double q) { return 200.0 - 10.0 * q; }
double positionOfGain(double g) { return (-g - 15.0) / 0.1 + 273.0; }

// Redesigns a band from its stored values. Values that no design admits (from a damaged file)
// are limited to the editor's ranges; when even those give no filter the band passes the
// signal unchanged, so its coefficients never stay those of another band or file.
void redesignStored(PresetContext& ctx, dsp::TSOS& band, int output, int number) {
    // A type code that no equaliser design stores leaves the coefficients alone, which after a
    // batch read would be those of the previous file: such a band passes the signal unchanged.
    if (dsp::ListIndexOfFilterCode(band.FilterType) == 0) {
        band.SetPassThrough();
        return;
    }
    const std::string which = "Output " + std::to_string(output + 1) + " band " + std::to_string(number) + ": ";
    try {
        band.Redesign(ctx.SampleRate);
        return;
    } catch (const dsp::DesignError& e) {
        const EqualiserEditor defaults;
        NumberSource f = defaults.FrecEdit, q = defaults.QEdit, g = defaults.FilterGainEdit;
        f.setValue(band.Frequency);
        q.setValue(band.Q);
        g.setValue(band.Gain);
        band.Frequency = f.value();
        band.Q = q.value();
        band.Gain = g.value();
        ctx.ui.warning(ctx.aboutFile(which + e.what() + "; the band was limited to the editor's ranges."));
    }
    try {
        band.Redesign(ctx.SampleRate);
    } catch (const dsp::DesignError& e) {
        // The type stays, so that a save keeps what the file held.
        band.SetPassThrough();
        ctx.ui.warning(ctx.aboutFile(which + e.what() + "; the band passes the signal unchanged."));
    }
}

}  // namespace

std::int32_t EqualiserBandAddress(int output, int band) { return 5 * band + (output == 0 ? 6 : 46); }

void EqualiserBandToSources(PresetContext& ctx) {
    EqualiserEditor& e = ctx.p.Equaliser;
    const dsp::TSOS& band = selectedBand(ctx);
    e.TipoFiltroCombo.setIndex(dsp::ListIndexOfFilterCode(band.FilterType));
    e.QSlider.setRounded(positionOfQ(band.Q));
    e.QEdit.setValue(band.Q);
    e.FilterGainSlider.setRounded(positionOfGain(band.Gain));
    e.FilterGainEdit.setValue(band.Gain);
    e.FrecSlider.setRounded(positionOfFrequency(band.Frequency));
    e.FrecEdit.setValue(band.Frequency);
}

void RedesignWithSend(PresetContext& ctx) {
    dsp::TSOS& band = selectedBand(ctx);
    band.Redesign(ctx.SampleRate);
    if (ctx.canSend()) band.SendRealTime(*ctx.sink);
    // Some designs set the gain to 0; the sources show what the band now holds.
    EqualiserBandToSources(ctx);
}

void EqualiserSelectBand(PresetContext& ctx, int band) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.SpinFiltro.setPosition(band);
    e.rememberedBand[static_cast<std::size_t>(e.selectedOutput)] = e.SpinFiltro.position();
    redesignStored(ctx, selectedBand(ctx), e.selectedOutput, e.SpinFiltro.position());
    EqualiserBandToSources(ctx);
}

void EqualiserSelectOutput(PresetContext& ctx, int output) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.selectedOutput = output == 1 ? 1 : 0;
    const std::string n = std::to_string(e.selectedOutput + 1);
    e.caption = "PEQ" + n;
    e.graphTitle = "OUT " + n + " Equalization";
    EqualiserSelectBand(ctx, e.rememberedBand[static_cast<std::size_t>(e.selectedOutput)]);
}

void EqualiserDefaults(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    EqualiserEditor& e = p.Equaliser;
    e.rememberedBand = {1, 1};
    p.Grid = dsp::ResponseGrid(ctx.SampleRate);
    p.EqualiserEditorValues = {2, 2};
    for (int out = 0; out < kOutputs; ++out)
        for (int b = 1; b <= kBandsPerOutput; ++b) {
            p.band(out, b) = dsp::TSOS{};
            p.band(out, b).DspAddress = EqualiserBandAddress(out, b);
        }
    e.selectedOutput = 0;
    e.SpinFiltro.setPosition(1);
    p.band(0, 1).Redesign(ctx.SampleRate);
    p.band(0, 2).Redesign(ctx.SampleRate);
    p.band(0, 1).Redesign(ctx.SampleRate);
    EqualiserBandToSources(ctx);
    e.TipoFiltroCombo.setIndex(0);
    EqualiserSelectOutput(ctx, 1);
    EqualiserSelectOutput(ctx, 0);
}

void EqualiserSetType(PresetContext& ctx, int listIndex) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.TipoFiltroCombo.setIndex(listIndex);
    selectedBand(ctx).FilterType = dsp::FilterCodeOfListIndex(e.TipoFiltroCombo.index()).value_or(dsp::kCodeBypass);
    RedesignWithSend(ctx);
}

void EqualiserSetGain(PresetContext& ctx, double db) {
    EqualiserEditor& e = ctx.p.Equaliser;
    if (!e.FilterGainEdit.setValue(db)) return;
    selectedBand(ctx).Gain = e.FilterGainEdit.value();
    RedesignWithSend(ctx);
}

void EqualiserSetGainPosition(PresetContext& ctx, int p) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.FilterGainSlider.setPosition(p);
    selectedBand(ctx).Gain = (123 - e.FilterGainSlider.position()) / 10.0;
    RedesignWithSend(ctx);
}

void EqualiserSetFrequency(PresetContext& ctx, double hz) {
    EqualiserEditor& e = ctx.p.Equaliser;
    if (!e.FrecEdit.setValue(hz)) return;
    selectedBand(ctx).Frequency = e.FrecEdit.value();
    RedesignWithSend(ctx);
}

void EqualiserSetFrequencyPosition(PresetContext& ctx, int p) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.FrecSlider.setPosition(p);
    // The slider's far end lies below the field's 10 Hz; the field limits it.
    e.FrecEdit.setValue(frequencyOfPosition(e.FrecSlider.position()));
    selectedBand(ctx).Frequency = e.FrecEdit.value();
    RedesignWithSend(ctx);
}

void EqualiserSetQ(PresetContext& ctx, double q) {
    EqualiserEditor& e = ctx.p.Equaliser;
    if (!e.QEdit.setValue(q)) return;
    selectedBand(ctx).Q = e.QEdit.value();
    RedesignWithSend(ctx);
}

void EqualiserSetQPosition(PresetContext& ctx, int p) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.QSlider.setPosition(p);
    e.QEdit.setValue((200 - e.QSlider.position()) / 10.0);
    selectedBand(ctx).Q = e.QEdit.value();
    RedesignWithSend(ctx);
}

void RedesignAllBands(PresetContext& ctx) {
    for (int out = kOutputs - 1; out >= 0; --out) {
        EqualiserSelectOutput(ctx, out);
        for (int b = kBandsPerOutput; b >= 1; --b) EqualiserSelectBand(ctx, b);
    }
}

}  // namespace vela
