// velaupdate design biquad|crossover|dynamics: runs one designer of src/dsp from the command
// line and prints what it computed, so that the designs can be checked from outside.

#include "cli/commands.h"
#include "core/exit_codes.h"
#include "preset/filter_names.h"
#include "cli/json.h"
#include "core/session_state.h"
#include "dsp/dynamics.h"
#include "dsp/power_check.h"
#include "dsp/response.h"
#include "dsp/sos.h"
#include "dsp/xover.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vela::cli {
namespace {

using namespace vela::dsp;

// Every design runs at the session's sample rate.
constexpr std::int32_t kRate = kSampleRate;

void requireOnly(const Args& args, const std::string& what, const std::set<std::string>& allowed) {
    std::set<std::string> known = allowed;
    known.insert({"json", "yes", "quiet", "help", "version"});
    known.insert(linkOptionNames().begin(), linkOptionNames().end());
    if (const auto bad = args.unknown(known); !bad.empty())
        throw std::invalid_argument("option " + bad.front() + " does not apply to 'design " + what + "'");
}

void printNumber(CountedOutput& out, const char* name, double v) {
    out.print("%s %s\n", name, formatDouble(v).c_str());
}

void writeCoefficients(JsonWriter& j, const TSOS& s) {
    j.field("B0", s.B0);
    j.field("B1", s.B1);
    j.field("B2", s.B2);
    j.field("A1", s.A1);
    j.field("A2", s.A2);
}

// The magnitude (dB) and phase (rad) of a cascade on the 401-point grid.
void writeResponse(Context& ctx, JsonWriter* j, std::span<const TSOS* const> sections) {
    const ResponseGrid grid(kRate);
    ResponseCurve magnitude{}, phase{};
    ComputeResponse(grid, sections, magnitude, phase);
    if (j) {
        j->key("Response");
        j->beginObject();
        j->key("Frequency");
        j->beginArray();
        for (const auto f : grid.frequencies())
            j->value(static_cast<std::int64_t>(f));
        j->endArray();
        j->key("Magnitude");
        j->beginArray();
        for (const float m : magnitude)
            j->value(static_cast<double>(m));
        j->endArray();
        j->key("Phase");
        j->beginArray();
        for (const float p : phase)
            j->value(static_cast<double>(p));
        j->endArray();
        j->endObject();
        return;
    }
    ctx.out.print("Response (Hz, dB, rad):\n");
    for (int i = 0; i < kResponsePoints; ++i) {
        const auto k = static_cast<std::size_t>(i);
        ctx.out.print("%d %s %s\n", grid.frequency(i), formatDouble(magnitude[k]).c_str(),
                      formatDouble(phase[k]).c_str());
    }
}

int designBiquad(Context& ctx) {
    const Args& args = ctx.args;
    requireOnly(args, "biquad", {"type", "gain", "freq", "q", "response"});
    const auto typeValue = args.value("type");
    if (!typeValue) throw std::invalid_argument("--type CODE is required (a type name or its stored code, 0..19)");
    // Any stored code may be tried, also those without a name in the equaliser's list.
    const bool byNumber = !typeValue->empty() && (std::isdigit(static_cast<unsigned char>((*typeValue)[0])) || (*typeValue)[0] == '-');
    const long type = byNumber ? parseInteger(*typeValue, "--type") : filterTypeCode("--type", *typeValue);
    if (type < 0 || type > 255) throw std::invalid_argument("--type: a type code is 0..255");
    TSOS s;
    s.FilterType = static_cast<std::uint8_t>(type);
    s.Gain = args.number("gain").value_or(s.Gain);
    s.Frequency = args.number("freq").value_or(s.Frequency);
    s.Q = args.number("q").value_or(s.Q);
    const int code = static_cast<int>(type);
    if ((code >= 12 && code <= 14) || code >= 20)
        ctx.ui.message(MessageKind::Warning, Buttons::Ok,
                       "type code " + std::to_string(code) +
                           " has no design of its own (Redesign leaves the coefficients as they are)");
    s.Redesign(kRate);

    const TSOS* sections[] = {&s};
    if (args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        writeCoefficients(j, s);
        j.field("FilterType", static_cast<int>(s.FilterType));
        j.field("Gain", s.Gain);
        if (args.flag("response")) writeResponse(ctx, &j, sections);
        j.endObject();
        j.finish();
        return kExitOk;
    }
    static const char* const kNames[] = {"B0", "B1", "B2", "A1", "A2"};
    for (int i = 0; i < 5; ++i)
        printNumber(ctx.out, kNames[i], s.Coefficient(i));
    ctx.out.print("FilterType %d\n", s.FilterType);
    printNumber(ctx.out, "Gain", s.Gain);
    if (args.flag("response")) writeResponse(ctx, nullptr, sections);
    return kExitOk;
}

// "--section HZ:Q", once per section of a custom alignment, section 1 first.
void applyCustomSections(const Args& args, TXOVERPB& edge) {
    const auto sections = args.values("section");
    if (sections.empty()) return;
    if (edge.Alignment != kAlignCustomLowPass && edge.Alignment != kAlignCustomHighPass)
        throw std::invalid_argument("--section applies to the custom alignments 7 and 8 only");
    if (sections.size() > static_cast<std::size_t>(kDesignedSections))
        throw std::invalid_argument("--section: at most four sections");
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const auto colon = sections[i].find(':');
        if (colon == std::string::npos)
            throw std::invalid_argument("--section: expected HZ:Q, got " + sections[i]);
        edge.Sections[i].Frequency = parseNumber(sections[i].substr(0, colon), "--section frequency");
        edge.Sections[i].Q = parseNumber(sections[i].substr(colon + 1), "--section Q");
    }
}

int designCrossover(Context& ctx) {
    const Args& args = ctx.args;
    requireOnly(args, "crossover", {"alignment", "order", "freq", "section", "response"});
    TXOVERPB edge;
    const auto alignment = args.value("alignment");
    if (!alignment) throw std::invalid_argument("--alignment A is required (0..8 or its name)");
    edge.Alignment = alignmentCode("--alignment", *alignment);
    const auto order = args.integer("order").value_or(edge.Order);
    if (order < 1 || order > 8) throw std::invalid_argument("--order: an order is 1..8");
    edge.Order = static_cast<std::int32_t>(order);
    edge.Frequency = args.number("freq").value_or(edge.Frequency);
    applyCustomSections(args, edge);

    const auto limit = edge.DesignAtEdgeFrequency(kRate);
    if (limit) ctx.ui.message(MessageKind::Plain, Buttons::Ok, limit->Message());

    std::vector<const TSOS*> cascade;
    for (int i = 0; i < edge.SectionCount; ++i)
        cascade.push_back(&edge.Sections[static_cast<std::size_t>(i)]);
    if (args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("Alignment", static_cast<int>(edge.Alignment));
        j.field("Order", static_cast<int>(edge.Order));
        j.field("Frequency", edge.Frequency);
        j.field("SectionCount", static_cast<int>(edge.SectionCount));
        j.key("Sections");
        j.beginArray();
        for (int i = 0; i < kDesignedSections; ++i) {
            const TSOS& s = edge.Sections[static_cast<std::size_t>(i)];
            j.beginObject();
            writeCoefficients(j, s);
            j.field("Frequency", s.Frequency);
            j.field("Q", s.Q);
            j.field("FilterType", static_cast<int>(s.FilterType));
            j.endObject();
        }
        j.endArray();
        if (limit) j.field("Message", limit->Message());
        if (args.flag("response")) writeResponse(ctx, &j, cascade);
        j.endObject();
        j.finish();
        return kExitOk;
    }
    ctx.out.print("Alignment %d\nOrder %d\n", edge.Alignment, edge.Order);
    printNumber(ctx.out, "Frequency", edge.Frequency);
    ctx.out.print("SectionCount %d\n", edge.SectionCount);
    for (int i = 0; i < kDesignedSections; ++i) {
        const TSOS& s = edge.Sections[static_cast<std::size_t>(i)];
        ctx.out.print("Section %d: B0 %s B1 %s B2 %s A1 %s A2 %s Frequency %s Q %s FilterType %d\n",
                      i + 1, formatDouble(s.B0).c_str(), formatDouble(s.B1).c_str(),
                      formatDouble(s.B2).c_str(), formatDouble(s.A1).c_str(), formatDouble(s.A2).c_str(),
                      formatDouble(s.Frequency).c_str(), formatDouble(s.Q).c_str(), s.FilterType);
    }
    if (args.flag("response")) writeResponse(ctx, nullptr, cascade);
    return kExitOk;
}

int designDynamics(Context& ctx) {
    const Args& args = ctx.args;
    requireOnly(args, "dynamics",
                {"threshold", "ratio", "knee", "gain", "compressor", "bypass", "gate", "ramp", "peak"});
    // The RMS object always exists: the peak check reads its amplifier bridge mode.
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kRate);
    TDYNAMIC peak;
    const bool isPeak = args.flag("peak");
    if (isPeak) peak.ApplyPeakDefaults(kRate);
    TDYNAMIC& d = isPeak ? peak : rms;
    auto asFloat = [&](const char* name, float& field) {
        if (const auto v = args.number(name)) field = static_cast<float>(*v);
    };
    asFloat("threshold", d.ThresholdDb);
    asFloat("ratio", d.Ratio);
    asFloat("knee", d.ShapeDb);
    asFloat("gain", d.CurveGainDb);
    asFloat("gate", d.GateSetting);
    asFloat("ramp", d.GateRamp);
    if (args.flag("compressor")) d.CompressorOn = 1;
    if (args.flag("bypass")) d.Bypass = true;
    d.BuildGainTable();

    std::vector<std::string> lines;
    RmsPowerReport rmsReport{};
    PeakPowerReport peakReport{};
    if (isPeak) {
        peakReport = PowerCheckPeak(d, rms);
        lines.push_back(peakReport.Line);
    } else {
        rmsReport = PowerCheckRms(d);
        lines = {rmsReport.PowerLine, rmsReport.VoltageLine};
        if (rmsReport.ExceedsBoxPower)
            lines.insert(lines.end(), {rmsReport.WarningLine1, rmsReport.WarningLine2});
    }

    if (args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("Kind", isPeak ? "peak" : "rms");
        j.field("ThresholdDb", static_cast<double>(d.ThresholdDb));
        j.field("Ratio", static_cast<double>(d.Ratio));
        j.field("ShapeDb", static_cast<double>(d.ShapeDb));
        j.field("CurveGainDb", static_cast<double>(d.CurveGainDb));
        j.field("CompressorOn", static_cast<int>(d.CompressorOn));
        j.field("Bypass", d.Bypass);
        j.field("GateSetting", static_cast<double>(d.GateSetting));
        j.field("GateRamp", static_cast<double>(d.GateRamp));
        j.key("GainTable");
        j.beginArray();
        for (const double g : d.GainTable)
            j.value(g);
        j.endArray();
        if (isPeak) {
            j.field("LevelDbu", peakReport.LevelDbu);
            j.field("VoltagePeak", peakReport.VoltagePeak);
        } else {
            j.field("LevelDbu", rmsReport.LevelDbu);
            j.field("VoltageRms", rmsReport.VoltageRms);
            j.field("PowerW", rmsReport.PowerW);
            j.field("ExceedsBoxPower", rmsReport.ExceedsBoxPower);
            j.field("ShortForm", rmsReport.ShortForm);
        }
        j.array("Report", lines);
        j.endObject();
        j.finish();
        return kExitOk;
    }
    ctx.out.print("GainTable (input dB, gain):\n");
    for (int i = 0; i < kGainTableSize; ++i)
        ctx.out.print("%d %s\n", -96 + 3 * i,
                      formatDouble(d.GainTable[static_cast<std::size_t>(i)]).c_str());
    for (const auto& line : lines)
        ctx.out.print("%s\n", line.c_str());
    return kExitOk;
}

} // namespace

int runDesign(Context& ctx) {
    const std::string what = ctx.args.positional.empty() ? "" : ctx.args.positional.front();
    if (ctx.args.positional.size() > 1)
        throw std::invalid_argument("unexpected argument '" + ctx.args.positional[1] + "'");
    if (what == "biquad") return designBiquad(ctx);
    if (what == "crossover") return designCrossover(ctx);
    if (what == "dynamics") return designDynamics(ctx);
    throw std::invalid_argument(what.empty()
                                    ? "say what to design: biquad, crossover or dynamics"
                                    : "unknown design '" + what + "' (biquad, crossover or dynamics)");
}

} // namespace vela::cli
