#include "preset/equaliser_procedures.h"

#include "dsp/design_error.h"
#include "dsp/filter_types.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace vela {
namespace {

// Band 1..8 of output 0 or 1; anything else is refused before it can index the table.
dsp::TSOS& bandOf(PresetContext& ctx, int output, int band) {
    if (output < 0 || output >= kOutputs || band < 1 || band > kBandsPerOutput)
        throw std::invalid_argument("no equaliser band " + std::to_string(band) + " on output " + std::to_string(output + 1));
    return ctx.p.band(output, band);
}

dsp::TSOS& shownBand(PresetContext& ctx) {
    const EqualiserEditor& e = ctx.p.Equaliser;
    return ctx.p.band(e.selectedOutput, e.SpinFiltro.position());
}

bool isShown(const PresetContext& ctx, int output, int band) {
    const EqualiserEditor& e = ctx.p.Equaliser;
    return e.selectedOutput == output && e.SpinFiltro.position() == band;
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
        ctx.notice(MessageKind::Warning, ctx.aboutFile(which + e.what() + "; the band was limited to the editor's ranges."));
    }
    try {
        band.Redesign(ctx.SampleRate);
    } catch (const dsp::DesignError& e) {
        // The type stays, so that a save keeps what the file held.
        band.SetPassThrough();
        ctx.notice(MessageKind::Warning, ctx.aboutFile(which + e.what() + "; the band passes the signal unchanged."));
    }
}

// The apply step of an edit: redesigns the band, sends its five coefficients in real-time
// mode and, when the editor shows it, shows what it now holds (some designs set the gain to 0).
void redesignWithSend(PresetContext& ctx, int output, int band) {
    dsp::TSOS& s = ctx.p.band(output, band);
    s.Redesign(ctx.SampleRate);
    if (ctx.canSend()) s.SendRealTime(*ctx.sink);
    if (isShown(ctx, output, band)) EqualiserBandToSources(ctx);
}

}  // namespace

std::int32_t EqualiserBandAddress(int output, int band) { return 5 * band + (output == 0 ? 6 : 46); }

void EqualiserBandToSources(PresetContext& ctx) {
    EqualiserEditor& e = ctx.p.Equaliser;
    const dsp::TSOS& band = shownBand(ctx);
    e.TipoFiltroCombo.setIndex(dsp::ListIndexOfFilterCode(band.FilterType));
    e.QSlider.setRounded(positionOfQ(band.Q));
    e.QEdit.setValue(band.Q);
    e.FilterGainSlider.setRounded(positionOfGain(band.Gain));
    e.FilterGainEdit.setValue(band.Gain);
    e.FrecSlider.setRounded(positionOfFrequency(band.Frequency));
    e.FrecEdit.setValue(band.Frequency);
}

void EqualiserSelectBand(PresetContext& ctx, int band) {
    EqualiserEditor& e = ctx.p.Equaliser;
    e.SpinFiltro.setPosition(band);
    e.rememberedBand[static_cast<std::size_t>(e.selectedOutput)] = e.SpinFiltro.position();
    redesignStored(ctx, shownBand(ctx), e.selectedOutput, e.SpinFiltro.position());
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

void EqualiserSetType(PresetContext& ctx, int output, int band, int listIndex) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    ListSource list = ctx.p.Equaliser.TipoFiltroCombo;
    list.setIndex(listIndex);
    s.FilterType = dsp::FilterCodeOfListIndex(list.index()).value_or(dsp::kCodeBypass);
    redesignWithSend(ctx, output, band);
}

void EqualiserSetGain(PresetContext& ctx, int output, int band, double db) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    NumberSource field = ctx.p.Equaliser.FilterGainEdit;
    if (!field.setValue(db)) return;
    s.Gain = field.value();
    redesignWithSend(ctx, output, band);
}

void EqualiserSetGainPosition(PresetContext& ctx, int output, int band, int p) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    PositionSource slider = ctx.p.Equaliser.FilterGainSlider;
    slider.setPosition(p);
    s.Gain = (123 - slider.position()) / 10.0;
    redesignWithSend(ctx, output, band);
}

void EqualiserSetFrequency(PresetContext& ctx, int output, int band, double hz) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    NumberSource field = ctx.p.Equaliser.FrecEdit;
    if (!field.setValue(hz)) return;
    s.Frequency = field.value();
    redesignWithSend(ctx, output, band);
}

void EqualiserSetFrequencyPosition(PresetContext& ctx, int output, int band, int p) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    PositionSource slider = ctx.p.Equaliser.FrecSlider;
    NumberSource field = ctx.p.Equaliser.FrecEdit;
    slider.setPosition(p);
    // The slider's far end lies below the field's 10 Hz; the field limits it.
    field.setValue(frequencyOfPosition(slider.position()));
    s.Frequency = field.value();
    redesignWithSend(ctx, output, band);
}

void EqualiserSetQ(PresetContext& ctx, int output, int band, double q) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    NumberSource field = ctx.p.Equaliser.QEdit;
    if (!field.setValue(q)) return;
    s.Q = field.value();
    redesignWithSend(ctx, output, band);
}

void EqualiserSetQPosition(PresetContext& ctx, int output, int band, int p) {
    dsp::TSOS& s = bandOf(ctx, output, band);
    PositionSource slider = ctx.p.Equaliser.QSlider;
    NumberSource field = ctx.p.Equaliser.QEdit;
    slider.setPosition(p);
    field.setValue((200 - slider.position()) / 10.0);
    s.Q = field.value();
    redesignWithSend(ctx, output, band);
}

void RedesignAllBands(PresetContext& ctx) {
    for (int out = kOutputs - 1; out >= 0; --out)
        for (int b = kBandsPerOutput; b >= 1; --b) redesignStored(ctx, ctx.p.band(out, b), out, b);
    EqualiserBandToSources(ctx);
}

}  // namespace vela
