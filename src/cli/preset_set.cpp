// preset set: edits parameters through their sources and procedures, then saves.
#include "core/args.h"
#include "core/exit_codes.h"
#include "preset/filter_names.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/preset_limits.h"
#include "cli/session_factory.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/new_preset.h"
#include "preset/output_procedures.h"
#include "preset/preset_file.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace vela::cli {
namespace {

std::vector<std::string> split(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto dot = name.find('.', start);
        parts.push_back(name.substr(start, dot - start));
        if (dot == std::string::npos) return parts;
        start = dot + 1;
    }
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool toBool(const std::string& name, const std::string& v) {
    const std::string l = lower(v);
    if (l == "1" || l == "on" || l == "yes" || l == "true") return true;
    if (l == "0" || l == "off" || l == "no" || l == "false") return false;
    throw std::invalid_argument(name + ": give 1 or 0, not " + v);
}

// A finite number: the editors' fields take nothing else.
double number(const std::string& name, const std::string& v) {
    const double x = parseNumber(v, name);
    if (!std::isfinite(x)) throw std::invalid_argument(name + ": not a number: " + v);
    return x;
}

// A whole number held as the controls hold it; the control then limits it to its range.
int wholeNumber(const std::string& name, const std::string& v) {
    return static_cast<int>(std::clamp<long>(parseInteger(v, name), INT_MIN, INT_MAX));
}

// Whole number within `first`..`last` for an index in a parameter name.
int indexOf(const std::string& name, const std::string& text, int first, int last) {
    const long v = parseInteger(text, name);
    if (v < first || v > last)
        throw std::invalid_argument(name + ": " + text + " is outside " + std::to_string(first) + ".." +
                                    std::to_string(last));
    return static_cast<int>(v);
}

[[noreturn]] void unknown(const std::string& name) {
    throw std::invalid_argument("unknown parameter '" + name + "' (velaupdate preset --help lists them)");
}

void setOutput(PresetContext& c, const std::string& name, const std::vector<std::string>& k,
               const std::string& v) {
    if (k.size() != 3) unknown(name);
    const int out = indexOf(name, k[1], 1, 2) - 1;
    const std::string& what = k[2];
    if (what == "gain") {
        OutputSetLevelDb(c, out, number(name, v));
    } else if (what == "mute") {
        OutputSetMute(c, out, toBool(name, v));
    } else if (what == "polarity") {
        OutputSetPolarity(c, out, toBool(name, v));
    } else if (what == "route") {
        const std::string r = lower(v);
        const std::int32_t code = r == "a" || r == "0"     ? 0
                                  : r == "b" || r == "1"   ? 1
                                  : r == "a+b" || r == "2" ? 2
                                                           : -2;
        if (code < 0) throw std::invalid_argument(name + ": give A, B or A+B");
        SetInputRoute(c.p, out, code);
    } else {
        unknown(name);
    }
}

void setEqualiser(PresetContext& c, const std::string& name, const std::vector<std::string>& k,
                  const std::string& v) {
    if (k.size() != 4) unknown(name);
    EqualiserSelectOutput(c, indexOf(name, k[1], 1, 2) - 1);
    EqualiserSelectBand(c, indexOf(name, k[2], 1, kBandsPerOutput));
    const std::string& what = k[3];
    if (what == "type") {
        EqualiserSetType(c, dsp::ListIndexOfFilterCode(filterTypeCode(name, v)));
    } else if (what == "gain") {
        EqualiserSetGain(c, number(name, v));
    } else if (what == "freq") {
        EqualiserSetFrequency(c, number(name, v));
    } else if (what == "q") {
        EqualiserSetQ(c, number(name, v));
    } else {
        unknown(name);
    }
}

void setCrossover(PresetContext& c, const std::string& name, const std::vector<std::string>& k,
                  const std::string& v) {
    if (k.size() < 4) unknown(name);
    const int out = indexOf(name, k[1], 1, 2) - 1;
    CrossoverEdge edge = CrossoverEdge::HighPass;
    if (k[2] == "low" || k[2] == "hp") {
        edge = CrossoverEdge::HighPass;
    } else if (k[2] == "high" || k[2] == "lp") {
        edge = CrossoverEdge::LowPass;
    } else {
        unknown(name);
    }
    const std::string& what = k[3];
    if (k.size() == 6 && what == "section") {
        const int section = indexOf(name, k[4], 1, dsp::kDesignedSections);
        const dsp::TXOVER& x = c.p.Crossovers[static_cast<std::size_t>(out)];
        const dsp::TSOS& s = (edge == CrossoverEdge::HighPass ? x.HighPass : x.LowPass)
                                 .Sections[static_cast<std::size_t>(section - 1)];
        if (k[5] == "freq") {
            CrossoverSetSection(c, out, edge, section, number(name, v), s.Q);
        } else if (k[5] == "q") {
            CrossoverSetSection(c, out, edge, section, s.Frequency, number(name, v));
        } else {
            unknown(name);
        }
        return;
    }
    if (k.size() != 4) unknown(name);
    if (what == "alignment") {
        const std::uint8_t code = alignmentCodeForEdge(name, v, edge == CrossoverEdge::LowPass);
        CrossoverSetAlignmentIndex(c, out, edge, (code + 1) / 2);
    } else if (what == "order") {
        CrossoverSetOrder(c, out, edge, wholeNumber(name, v));
    } else if (what == "freq") {
        const double hz = number(name, v);
        if (!(hz >= 1 && hz <= 1e6)) throw std::invalid_argument(name + ": " + v + " Hz is out of range");
        CrossoverSetFrequency(c, out, edge, static_cast<std::int32_t>(std::nearbyint(hz)));
    } else if (what == "off") {
        CrossoverSetOff(c, out, edge, toBool(name, v));
    } else {
        unknown(name);
    }
}

void setDynamics(PresetContext& c, const std::string& name, const std::vector<std::string>& k,
                 const std::string& v) {
    if (k.size() != 3) unknown(name);
    const DynamicsKind kind = k[0] == "rms" ? DynamicsKind::Rms : DynamicsKind::Peak;
    const bool rms = kind == DynamicsKind::Rms;
    const int obj = indexOf(name, k[1], 1, kDynamicsObjects) - 1;
    const std::string& what = k[2];
    if (what == "threshold") {
        DynamicsSetThreshold(c, kind, obj, number(name, v));
    } else if (what == "ratio") {
        DynamicsSetRatio(c, kind, obj, number(name, v));
    } else if (what == "knee") {
        DynamicsSetKnee(c, kind, obj, number(name, v));
    } else if (what == "gain") {
        DynamicsSetCurveGain(c, kind, obj, number(name, v));
    } else if (what == "mode") {
        const std::string m = lower(v);
        if (m != "limiter" && m != "compressor")
            throw std::invalid_argument(name + ": give limiter or compressor");
        DynamicsSetCompressor(c, kind, obj, m == "compressor");
    } else if (what == "bypass") {
        DynamicsSetBypass(c, kind, obj, toBool(name, v));
    } else if (what == "hold") {
        DynamicsSetHold(c, kind, obj, number(name, v));
    } else if (what == "decay") {
        DynamicsSetDecay(c, kind, obj, number(name, v));
    } else if (what == "gate") {
        DynamicsSetGate(c, kind, obj, wholeNumber(name, v));
    } else if (what == "ramp") {
        DynamicsSetGateRamp(c, kind, obj, wholeNumber(name, v));
    } else if (rms && what == "time") {
        DynamicsSetRmsTime(c, obj, number(name, v));
    } else if (rms && what == "impedance") {
        DynamicsSetAmplifier(c, obj, AmplifierValue::ImpedanceOhm, number(name, v));
    } else if (rms && what == "boxpower") {
        DynamicsSetAmplifier(c, obj, AmplifierValue::BoxPowerW, number(name, v));
    } else if (rms && what == "amppower") {
        DynamicsSetAmplifier(c, obj, AmplifierValue::AmpPowerW, number(name, v));
    } else if (rms && what == "ampgain") {
        DynamicsSetAmplifier(c, obj, AmplifierValue::AmpGain, number(name, v));
    } else if (rms && what == "bridge") {
        DynamicsSetBridgeMode(c, obj, toBool(name, v));
    } else {
        unknown(name);
    }
}

void setImport(PresetContext& c, const std::string& name, const std::vector<std::string>& k,
               const std::string& v) {
    if (k.size() != 2) unknown(name);
    if (k[1] == "1" || k[1] == "2") {
        c.p.Import.path[k[1] == "1" ? 0 : 1] = v;
    } else if (k[1] == "type") {
        c.p.Import.ImportDataType = static_cast<std::int32_t>(indexOf(name, v, 0, kFrdFormat));
    } else if (k[1] == "reference") {
        c.p.Import.ReferenceLevel.setValue(number(name, v));
    } else {
        unknown(name);
    }
    RunImport(c.p.Import, c.p.Grid.frequencies(), {c.p.Import.Sensitivity.value(), c.p.PresetFolder}, c.ui);
}

void apply(PresetContext& c, const std::string& name, const std::string& v) {
    const auto k = split(name);
    const std::string& head = k[0];
    if (k.size() == 1) {
        if (head == "name") return SetSystemName(c.p, v);
        if (head == "project") return c.p.SystemInfo.ProjectName.set(v);
        if (head == "engineer") return c.p.SystemInfo.EngineerLabel.set(v);
        if (head == "comments") return c.p.SystemInfo.Comments.set(v);
        if (head == "temperature") return TemperatureUpdate(c, wholeNumber(name, v));
        unknown(name);
    }
    if (head == "delay" && k.size() == 2) {
        const long samples = parseInteger(v, name);
        if (k[1] == "input")
            return InputDelaySetSamples(c, static_cast<std::int32_t>(std::clamp(samples, -100000L, 100000L)));
        return DelaySetSamples(c, indexOf(name, k[1], 1, 2) - 1,
                               static_cast<std::int32_t>(std::clamp(samples, -1000L, 1000L)));
    }
    if (head == "out") return setOutput(c, name, k, v);
    if (head == "eq") return setEqualiser(c, name, k, v);
    if (head == "xover") return setCrossover(c, name, k, v);
    if (head == "rms" || head == "peak") return setDynamics(c, name, k, v);
    if (head == "import") return setImport(c, name, k, v);
    unknown(name);
}

// Says when the control limited a number to its range, as its field would show.
void reportLimit(PresetContext& c, const std::string& name, const std::string& value) {
    const auto stored = storedValue(c.p, c.SampleRate, split(name));
    if (!stored) return;
    double requested = 0;
    try {
        requested = parseNumber(value, name);
    } catch (const std::invalid_argument&) {
        return;
    }
    if (const auto text = limitMessage(name, requested, *stored)) c.ui.warning(*text);
}

} // namespace

int runPresetSet(Context& ctx) {
    const std::string file = presetFileArgument(ctx, "velaupdate preset set FILE.hdp NAME=VALUE...");
    if (ctx.args.positional.size() < 3) throw std::invalid_argument("give at least one NAME=VALUE");
    std::vector<std::pair<std::string, std::string>> edits;
    for (std::size_t i = 2; i < ctx.args.positional.size(); ++i) {
        const std::string& word = ctx.args.positional[i];
        const auto eq = word.find('=');
        if (eq == std::string::npos || eq == 0) throw std::invalid_argument("not NAME=VALUE: " + word);
        edits.emplace_back(lower(word.substr(0, eq)), word.substr(eq + 1));
    }
    // The file edited in place is the point of the command; only another kind is refused.
    const std::string out = ctx.args.value("out", file);
    if (!outputAllowed(ctx, "preset set", out, FileKind::Preset)) return kExitBadInput;
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    MessagesOnlyUi ui(ctx.ui);
    PresetContext c = presetContextOf(*s, &ui);
    for (const auto& [name, value] : edits) {
        apply(c, name, value);
        reportLimit(c, name, value);
    }
    if (!savePresetFile(*s, out, &ui)) return kExitBadInput;
    return kExitOk;
}

} // namespace vela::cli
