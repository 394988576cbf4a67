// preset show: every value of the preset under its name, as text or JSON.
#include "core/exit_codes.h"
#include "preset/filter_names.h"
#include "cli/json.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "dsp/design_error.h"
#include "dsp/filter_types.h"
#include "dsp/number_text.h"
#include "dsp/power_check.h"
#include "preset/parameter_table.h"

namespace vela::cli {
namespace {

using dsp::plainText;

template <class T, std::size_t N>
std::vector<double> numbers(const std::array<T, N>& a) {
    return std::vector<double>(a.begin(), a.end());
}

std::vector<double> coefficients(const dsp::TSOS& s) {
    return {s.B0, s.B1, s.B2, s.A1, s.A2};
}

void sectionJson(JsonWriter& j, const dsp::TSOS& s) {
    j.beginObject();
    j.field("FilterType", static_cast<int>(s.FilterType));
    j.field("Gain", s.Gain);
    j.field("Frequency", s.Frequency);
    j.field("Q", s.Q);
    j.field("DspAddress", s.DspAddress);
    j.array("coefficients", coefficients(s));
    j.endObject();
}

void edgeJson(JsonWriter& j, const dsp::TXOVERPB& e) {
    j.beginObject();
    j.field("Order", e.Order);
    j.field("SectionCount", e.SectionCount);
    j.field("Alignment", static_cast<int>(e.Alignment));
    j.field("Frequency", e.Frequency);
    j.key("Sections");
    j.beginArray();
    for (int k = 0; k < dsp::kDesignedSections; ++k) sectionJson(j, e.Sections[static_cast<std::size_t>(k)]);
    j.endArray();
    j.endObject();
}

void dynamicsJson(JsonWriter& j, const dsp::TDYNAMIC& d, bool rms) {
    j.beginObject();
    j.field("ThresholdDb", static_cast<double>(d.ThresholdDb));
    j.field("Ratio", static_cast<double>(d.Ratio));
    j.field("CurveGainDb", static_cast<double>(d.CurveGainDb));
    j.field("TimeConstantCoef", d.TimeConstantCoef);
    j.field("WindowSamples", d.WindowSamples);
    j.field("RateCode", d.RateCode);
    j.field("LeadSamples", d.LeadSamples);
    j.field("AuxSwitch", static_cast<int>(d.AuxSwitch));
    j.field("CompressorOn", static_cast<int>(d.CompressorOn));
    j.field("ShapeDb", static_cast<double>(d.ShapeDb));
    j.field("AmpBridgeMode", d.AmpBridgeMode);
    j.field("AuxFlag", d.AuxFlag);
    j.field("Bypass", d.Bypass);
    j.field("AuxValue", static_cast<double>(d.AuxValue));
    j.field("AmpGain", static_cast<double>(d.AmpGain));
    j.field("ImpedanceOhm", static_cast<double>(d.ImpedanceOhm));
    j.field("BoxPowerW", static_cast<double>(d.BoxPowerW));
    j.field("AmpPowerW", static_cast<double>(d.AmpPowerW));
    j.field("AuxCount", d.AuxCount);
    j.field("GateSetting", static_cast<double>(d.GateSetting));
    j.field("GateRamp", static_cast<double>(d.GateRamp));
    if (rms) j.field("ScaleCoef", d.ScaleCoef);
    j.array("GainTable", numbers(d.GainTable));
    j.endObject();
}

void showJson(CountedOutput& out, const PresetParameters& p, std::int32_t fs) {
    JsonWriter j(out);
    j.beginObject();
    j.field("SystemName", p.SystemInfo.SystemName.text());
    j.field("ProjectName", p.SystemInfo.ProjectName.text());
    j.field("EngineerLabel", p.SystemInfo.EngineerLabel.text());
    j.field("Comments", p.SystemInfo.Comments.text());
    j.field("SampleRate", fs);
    j.field("Temperature", p.Temperature);
    j.field("InputDelay", p.InputDelay);
    j.array("OutputDelay", numbers(p.OutputDelay));
    j.array("SpeakerDistance", numbers(p.SpeakerDistance));
    j.array("EqualiserEditorValues", numbers(p.EqualiserEditorValues));
    j.key("PeqBands");
    j.beginArray();
    for (const auto& b : p.PeqBands) sectionJson(j, b);
    j.endArray();
    j.key("Crossovers");
    j.beginArray();
    for (const auto& x : p.Crossovers) {
        j.beginObject();
        j.key("HighPass");
        edgeJson(j, x.HighPass);
        j.key("LowPass");
        edgeJson(j, x.LowPass);
        j.endObject();
    }
    j.endArray();
    j.array("LowPassOff", numbers(p.LowPassOff));
    j.array("HighPassOff", numbers(p.HighPassOff));
    j.key("OutputPolarity");
    j.beginArray();
    for (const auto& s : p.PolOutput) j.value(s.on());
    j.endArray();
    j.key("OutputMute");
    j.beginArray();
    for (const auto& s : p.MuteOutput) j.value(s.on());
    j.endArray();
    j.array("PolaritySign", numbers(p.PolaritySign));
    j.array("OutputGain", numbers(p.OutputGain));
    j.array("MuteFactor", numbers(p.MuteFactor));
    j.array("InputRoute", numbers(p.InputRoute));
    j.array("RouteGainA", numbers(p.RouteGainA));
    j.array("RouteGainB", numbers(p.RouteGainB));
    j.array("RouteGainSum", numbers(p.RouteGainSum));
    j.key("RmsDynamics");
    j.beginArray();
    for (const auto& d : p.RmsDynamics) dynamicsJson(j, d, true);
    j.endArray();
    j.key("PeakDynamics");
    j.beginArray();
    for (const auto& d : p.PeakDynamics) dynamicsJson(j, d, false);
    j.endArray();
    j.key("ImportData");
    j.beginObject();
    j.key("files");
    j.beginArray();
    for (const auto& f : p.Import.path) j.value(f);
    j.endArray();
    j.field("ImportDataType", p.Import.ImportDataType);
    j.field("ReferenceLevel", p.Import.ReferenceLevel.value());
    // The imported curves on the first 400 grid points, one object per output.
    j.key("curves");
    j.beginArray();
    for (const ImportCurve& c : p.Import.curves) {
        j.beginObject();
        j.array("magnitude", numbers(c.magnitude));
        j.array("phase", numbers(c.phase));
        j.endObject();
    }
    j.endArray();
    j.endObject();
    j.endObject();
    j.finish();
}

std::string routeText(std::int32_t code) {
    switch (code) {
    case -1: return "not chosen (-1)";
    case 0: return "input A (0)";
    case 1: return "input B (1)";
    case 2: return "inputs A and B (2)";
    default: return std::to_string(code);
    }
}

void showText(CountedOutput& out, const PresetParameters& p, std::int32_t fs) {
    auto line = [&out](const std::string& s) { out.print("%s\n", s.c_str()); };
    line("SystemName     " + p.SystemInfo.SystemName.text());
    line("ProjectName    " + p.SystemInfo.ProjectName.text());
    line("EngineerLabel  " + p.SystemInfo.EngineerLabel.text());
    line("Comments       " + p.SystemInfo.Comments.text());
    line("SampleRate     " + std::to_string(fs) + " Hz   Temperature " + std::to_string(p.Temperature) + " C");
    line("InputDelay     " + std::to_string(p.InputDelay) + " samples");
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const std::string o = std::to_string(n + 1);
        line("");
        line("Output " + o);
        line("  OutputGain       " + plainText(p.OutputGain[n]) + " (" + dsp::fixedText(p.OutputDb[n], 1) + " dB" +
             (p.PolOutput[n].on() ? ", inverted" : "") + (p.MuteOutput[n].on() ? ", muted" : "") + ")");
        line("  OutputDelay      " + std::to_string(p.OutputDelay[n]) + " samples (" + p.DelaySummary[n] + ", " +
             dsp::fixedText(p.DelayCm[n], 1) + " cm)");
        line("  SpeakerDistance  " + std::to_string(p.SpeakerDistance[n]) + " samples (" +
             dsp::fixedText(p.DistanceCm[n], 1) + " cm)");
        line("  InputRoute       " + routeText(p.InputRoute[n]) + ", RouteGainA " + plainText(p.RouteGainA[n]) +
             ", RouteGainB " + plainText(p.RouteGainB[n]));
        const dsp::TXOVER& x = p.Crossovers[n];
        line("  HighPass         " + alignmentText(x.HighPass.Alignment) + ", order " +
             std::to_string(x.HighPass.Order) + ", " + plainText(x.HighPass.Frequency) + " Hz" +
             (p.HighPassOff[n] ? ", off" : ""));
        line("  LowPass          " + alignmentText(x.LowPass.Alignment) + ", order " +
             std::to_string(x.LowPass.Order) + ", " + plainText(x.LowPass.Frequency) + " Hz" +
             (p.LowPassOff[n] ? ", off" : ""));
        for (int b = 1; b <= kBandsPerOutput; ++b) {
            const dsp::TSOS& s = p.band(static_cast<int>(n), b);
            line("  PEQ " + std::to_string(b) + "  " + filterTypeText(s.FilterType) + ", " + plainText(s.Gain) +
                 " dB, " + plainText(s.Frequency) + " Hz, Q " + plainText(s.Q));
        }
        const dsp::TDYNAMIC& r = p.RmsDynamics[n];
        line("  RMS   " + std::string(r.CompressorOn ? "compressor" : "limiter") + ", threshold " +
             plainText(r.ThresholdDb) + " dB, ratio " + plainText(r.Ratio) + ", knee " + plainText(r.ShapeDb) +
             " dB, gain " + plainText(r.CurveGainDb) + " dB" + (r.Bypass ? ", bypassed" : "") + ", time " +
             dsp::fixedText(r.RmsTime(fs), 1) + ", hold " + dsp::fixedText(r.HoldMs(fs), 1) + " ms, decay " +
             dsp::fixedText(r.Decay(), 3) + ", gate " + plainText(r.GateSetting) + "/" + plainText(r.GateRamp));
        // A damaged file may hold an impedance no power check admits; the rest still shows.
        try {
            const auto power = dsp::PowerCheckRms(r);
            line("        " + power.PowerLine + "; " + power.VoltageLine.substr(4) +
                 (power.ExceedsBoxPower ? "  " + power.WarningLine1 + " " + power.WarningLine2 : ""));
        } catch (const dsp::DesignError& error) {
            line(std::string("        no power check: ") + error.what());
        }
        const dsp::TDYNAMIC& k = p.PeakDynamics[n];
        line("  Peak  threshold " + plainText(k.ThresholdDb) + " dB, knee " + plainText(k.ShapeDb) + " dB" +
             (k.Bypass ? ", bypassed" : "") + ", hold " + dsp::fixedText(k.HoldMs(fs), 1) + " ms, decay " +
             dsp::fixedText(k.Decay(), 3) + "; " + dsp::PowerCheckPeak(k, r).Line);
        line("  Import           " + (p.Import.path[n].empty() ? std::string("(none)") : p.Import.path[n]));
    }
    line("");
    line("ImportDataType " + std::to_string(p.Import.ImportDataType) + ", ReferenceLevel " +
         plainText(p.Import.ReferenceLevel.value()) + " dBspl");
}

}  // namespace

int runPresetShow(Context& ctx) {
    const std::string file = presetFileArgument(ctx, "velaupdate preset show FILE.hdp [--json]");
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    if (ctx.args.flag("json")) {
        showJson(ctx.out, s->preset, s->SampleRate);
    } else if (ctx.args.flag("keys")) {
        for (const Parameter& p : parameterTable())
            ctx.out.print("%s=%s\n", p.key.c_str(), p.text(s->preset, s->SampleRate).c_str());
    } else {
        showText(ctx.out, s->preset, s->SampleRate);
    }
    return kExitOk;
}

}  // namespace vela::cli
