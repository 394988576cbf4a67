#include "preset/parameter_table.h"

#include "core/args.h"
#include "dsp/filter_types.h"
#include "dsp/number_text.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/filter_names.h"
#include "preset/new_preset.h"
#include "preset/output_procedures.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace vela {
namespace {

using Reader = std::function<double(const PresetParameters&, std::int32_t)>;
using Setter = std::function<void(PresetContext&, const std::string&)>;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool toBool(const std::string& key, const std::string& v) {
    const std::string l = lower(v);
    if (l == "1" || l == "on" || l == "yes" || l == "true") return true;
    if (l == "0" || l == "off" || l == "no" || l == "false") return false;
    throw std::invalid_argument(key + ": give 1 or 0, not " + v);
}

// A finite number: the editors' fields take nothing else.
double finite(const std::string& key, const std::string& v) {
    const double x = parseNumber(v, key);
    if (!std::isfinite(x)) throw std::invalid_argument(key + ": not a number: " + v);
    return x;
}

// A whole number held as the controls hold it; the control then limits it to its range.
int whole(const std::string& key, const std::string& v) {
    return static_cast<int>(std::clamp<long>(parseInteger(v, key), INT_MIN, INT_MAX));
}

std::string n(int i) { return std::to_string(i); }

Parameter make(std::string key, std::string name, ParameterKind kind) {
    Parameter p;
    p.key = std::move(key);
    p.accessibleName = std::move(name);
    p.kind = kind;
    return p;
}

class Builder {
public:
    std::vector<Parameter> table;

    void number(std::string key, std::string name, double minimum, double maximum, double step, std::string unit,
                Reader read, std::function<void(PresetContext&, double)> set) {
        Parameter p = make(std::move(key), std::move(name), ParameterKind::Number);
        p.minimum = minimum;
        p.maximum = maximum;
        p.step = step;
        p.unit = std::move(unit);
        p.number = read;
        p.text = [read](const PresetParameters& m, std::int32_t fs) { return dsp::plainText(read(m, fs)); };
        const std::string k = p.key;
        p.set = [k, set](PresetContext& c, const std::string& v) { set(c, finite(k, v)); };
        table.push_back(std::move(p));
    }
    // A number the control holds as a whole position.
    void whole(std::string key, std::string name, double minimum, double maximum, double step, std::string unit,
               Reader read, std::function<void(PresetContext&, int)> set) {
        number(std::move(key), std::move(name), minimum, maximum, step, std::move(unit), std::move(read),
               [](PresetContext&, double) {});
        Parameter& p = table.back();
        const std::string k = p.key;
        p.set = [k, set](PresetContext& c, const std::string& v) { set(c, vela::whole(k, v)); };
    }
    void onOff(std::string key, std::string name, std::function<bool(const PresetParameters&)> read,
               std::function<void(PresetContext&, bool)> set) {
        Parameter p = make(std::move(key), std::move(name), ParameterKind::Switch);
        p.text = [read](const PresetParameters& m, std::int32_t) { return std::string(read(m) ? "1" : "0"); };
        const std::string k = p.key;
        p.set = [k, set](PresetContext& c, const std::string& v) { set(c, toBool(k, v)); };
        table.push_back(std::move(p));
    }
    void choice(std::string key, std::string name, std::vector<std::string> choices,
                std::function<std::string(const PresetParameters&)> read, Setter set) {
        Parameter p = make(std::move(key), std::move(name), ParameterKind::Choice);
        p.choices = std::move(choices);
        p.text = [read](const PresetParameters& m, std::int32_t) { return read(m); };
        p.set = std::move(set);
        table.push_back(std::move(p));
    }
    void text(std::string key, std::string name, std::size_t limit,
              std::function<std::string(const PresetParameters&)> read, Setter set) {
        Parameter p = make(std::move(key), std::move(name), ParameterKind::Text);
        p.maximum = static_cast<double>(limit);
        p.text = [read](const PresetParameters& m, std::int32_t) { return read(m); };
        p.set = std::move(set);
        table.push_back(std::move(p));
    }
};

// The gate's choices: 0, as New sets it, is no gate at all.
std::vector<std::pair<int, std::string>> gateNames() {
    std::vector<std::pair<int, std::string>> names{{0, "No gate"}, {1, "Bypass"}, {2, "-79 dB (Low Noise)"}};
    for (int v = 3; v <= 15; ++v) names.emplace_back(v, std::to_string(-85 + 3 * v) + " dB");
    names.emplace_back(16, "-37 dB (High Noise)");
    return names;
}

// The measurement formats by the names their messages use.
std::vector<std::pair<int, std::string>> formatNames() {
    std::vector<std::pair<int, std::string>> names;
    for (const ImportFormat& f : importFormats()) {
        std::string name(f.name);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        names.emplace_back(f.code, name);
    }
    return names;
}

void addIdentity(Builder& b) {
    const SystemInfoFields fields;
    b.text("name", "System name", fields.SystemName.limit(), [](const PresetParameters& p) { return p.SystemInfo.SystemName.text(); },
           [](PresetContext& c, const std::string& v) { SetSystemName(c.p, v); });
    b.text("project", "Project name", fields.ProjectName.limit(), [](const PresetParameters& p) { return p.SystemInfo.ProjectName.text(); },
           [](PresetContext& c, const std::string& v) { c.p.SystemInfo.ProjectName.set(v); });
    b.text("engineer", "Engineer", fields.EngineerLabel.limit(), [](const PresetParameters& p) { return p.SystemInfo.EngineerLabel.text(); },
           [](PresetContext& c, const std::string& v) { c.p.SystemInfo.EngineerLabel.set(v); });
    b.text("comments", "Comments", fields.Comments.limit(), [](const PresetParameters& p) { return p.SystemInfo.Comments.text(); },
           [](PresetContext& c, const std::string& v) { c.p.SystemInfo.Comments.set(v); });
    b.whole("temperature", "Temperature", 0, 50, 1, "°C",
            [](const PresetParameters& p, std::int32_t) { return p.Temperature; },
            [](PresetContext& c, int v) { TemperatureUpdate(c, v); });
    b.whole("delay.input", "Input delay", -1, 4159, 1, "samples",
            [](const PresetParameters& p, std::int32_t) { return p.InputDelay; },
            [](PresetContext& c, int v) { InputDelaySetSamples(c, std::clamp(v, -100000, 100000)); });
}

void addOutput(Builder& b, int out) {
    const std::string key = "out." + n(out + 1) + ".";
    const std::string name = "Output " + n(out + 1) + " ";
    const auto at = static_cast<std::size_t>(out);
    b.whole("delay." + n(out + 1), name + "delay", -1, 139, 1, "samples",
            [at](const PresetParameters& p, std::int32_t) { return p.OutputDelay[at]; },
            [out](PresetContext& c, int v) { DelaySetSamples(c, out, std::clamp(v, -1000, 1000)); });
    b.number(key + "gain", name + "gain", -30.0, 6.1, 0.1, "dB",
             [at](const PresetParameters& p, std::int32_t) { return p.OutputDb[at]; },
             [out](PresetContext& c, double v) { OutputSetLevelDb(c, out, v); });
    b.onOff(key + "mute", name + "mute", [at](const PresetParameters& p) { return p.MuteOutput[at].on(); },
            [out](PresetContext& c, bool v) { OutputSetMute(c, out, v); });
    b.onOff(key + "polarity", name + "polarity", [at](const PresetParameters& p) { return p.PolOutput[at].on(); },
            [out](PresetContext& c, bool v) { OutputSetPolarity(c, out, v); });
    static const std::vector<std::string> routes{"A", "B", "A+B", "none"};
    b.choice(
        key + "route", name + "input routing", routes,
        [at](const PresetParameters& p) {
            const std::int32_t r = p.InputRoute[at];
            return r >= 0 && r <= 2 ? routes[static_cast<std::size_t>(r)] : std::string("none");
        },
        [out, k = key + "route"](PresetContext& c, const std::string& v) {
            const std::string r = lower(v);
            // "none" is the route of a preset whose routing was never chosen, as files carry it.
            const std::int32_t code = r == "a" || r == "0"       ? 0
                                      : r == "b" || r == "1"     ? 1
                                      : r == "a+b" || r == "2"   ? 2
                                      : r == "none" || r == "-1" ? -1
                                                                 : -2;
            if (code < -1) throw std::invalid_argument(k + ": give A, B or A+B");
            SetInputRoute(c.p, out, code);
        });
    // The sub reinforcement's gain: its slider holds G = (120 - p) / 10 dB.
    b.number(key + "loudness", name + "sub-reinforcement", -0.1, 12.0, 0.1, "dB",
             [at](const PresetParameters& p, std::int32_t) { return p.Loudness[at].Gain; },
             [out](PresetContext& c, double db) {
                 LoudnessSetPosition(c, out, static_cast<int>(std::clamp<std::int64_t>(
                                                 roundToInt(120.0 - 10.0 * db), INT_MIN, INT_MAX)));
             });
}

void addEqualiser(Builder& b, int out) {
    std::vector<std::string> types;
    for (const auto& t : kFilterListTexts) types.emplace_back(t);
    const PresetParameters defaults;
    const EqualiserEditor& e = defaults.Equaliser;
    for (int band = 1; band <= kBandsPerOutput; ++band) {
        const std::string key = "eq." + n(out + 1) + "." + n(band) + ".";
        const std::string name = "Output " + n(out + 1) + " band " + n(band) + " ";
        b.choice(
            key + "type", name + "type", types,
            [out, band](const PresetParameters& p) { return n(p.band(out, band).FilterType); },
            [out, band, k = key + "type"](PresetContext& c, const std::string& v) {
                EqualiserSetType(c, out, band, dsp::ListIndexOfFilterCode(filterTypeCode(k, v)));
            });
        b.number(key + "freq", name + "frequency", e.FrecEdit.minimum(), e.FrecEdit.maximum(), 0.1, "Hz",
                 [out, band](const PresetParameters& p, std::int32_t) { return p.band(out, band).Frequency; },
                 [out, band](PresetContext& c, double v) { EqualiserSetFrequency(c, out, band, v); });
        b.number(key + "gain", name + "gain", e.FilterGainEdit.minimum(), e.FilterGainEdit.maximum(), 0.1, "dB",
                 [out, band](const PresetParameters& p, std::int32_t) { return p.band(out, band).Gain; },
                 [out, band](PresetContext& c, double v) { EqualiserSetGain(c, out, band, v); });
        b.number(key + "q", name + "Q", e.QEdit.minimum(), e.QEdit.maximum(), 0.001, "",
                 [out, band](const PresetParameters& p, std::int32_t) { return p.band(out, band).Q; },
                 [out, band](PresetContext& c, double v) { EqualiserSetQ(c, out, band, v); });
    }
}

const dsp::TXOVERPB& edgeOf(const PresetParameters& p, int out, CrossoverEdge edge) {
    const dsp::TXOVER& x = p.Crossovers[static_cast<std::size_t>(out)];
    return edge == CrossoverEdge::HighPass ? x.HighPass : x.LowPass;
}

void addCrossover(Builder& b, int out, CrossoverEdge edge) {
    const bool low = edge == CrossoverEdge::LowPass;
    const std::string key = "xover." + n(out + 1) + (low ? ".lp." : ".hp.");
    const std::string name = "Output " + n(out + 1) + (low ? " low-pass " : " high-pass ");
    std::vector<std::string> alignments;
    for (const auto& a : kAlignmentListTexts) alignments.emplace_back(a);
    b.choice(
        key + "alignment", name + "alignment", alignments,
        [out, edge](const PresetParameters& p) { return n(edgeOf(p, out, edge).Alignment); },
        [out, edge, low, k = key + "alignment"](PresetContext& c, const std::string& v) {
            const std::uint8_t code = alignmentCodeForEdge(k, v, low);
            CrossoverSetAlignmentIndex(c, out, edge, (code + 1) / 2);
        });
    b.whole(key + "order", name + "order", 2, 8, 2, "",
            [out, edge](const PresetParameters& p, std::int32_t) { return edgeOf(p, out, edge).Order; },
            [out, edge](PresetContext& c, int v) { CrossoverSetOrder(c, out, edge, v); });
    b.number(key + "freq", name + "frequency", 10, 22000, 1, "Hz",
             [out, edge](const PresetParameters& p, std::int32_t) { return edgeOf(p, out, edge).Frequency; },
             [out, edge, k = key + "freq"](PresetContext& c, double hz) {
                 if (!(hz >= 1 && hz <= 1e6)) throw std::invalid_argument(k + ": " + dsp::plainText(hz) + " Hz is out of range");
                 CrossoverSetFrequency(c, out, edge, static_cast<std::int32_t>(std::nearbyint(hz)));
             });
    b.onOff(
        key + "off", name + "off",
        [out, low](const PresetParameters& p) {
            return (low ? p.LowPassOff : p.HighPassOff)[static_cast<std::size_t>(out)] != 0;
        },
        [out, edge](PresetContext& c, bool v) { CrossoverSetOff(c, out, edge, v); });
    for (int s = 1; s <= dsp::kDesignedSections; ++s) {
        const auto section = [out, edge, s](const PresetParameters& p) -> const dsp::TSOS& {
            return edgeOf(p, out, edge).Sections[static_cast<std::size_t>(s - 1)];
        };
        const std::string sectionKey = key + "section." + n(s) + ".";
        const std::string sectionName = name + "section " + n(s) + " ";
        b.number(sectionKey + "freq", sectionName + "frequency", 10, 22000, 0.1, "Hz",
                 [section](const PresetParameters& p, std::int32_t) { return section(p).Frequency; },
                 [out, edge, s, section](PresetContext& c, double v) {
                     CrossoverSetSection(c, out, edge, s, v, section(c.p).Q);
                 });
        b.number(sectionKey + "q", sectionName + "Q", 0.2, 20, 0.001, "",
                 [section](const PresetParameters& p, std::int32_t) { return section(p).Q; },
                 [out, edge, s, section](PresetContext& c, double v) {
                     CrossoverSetSection(c, out, edge, s, section(c.p).Frequency, v);
                 });
    }
}

void addDynamics(Builder& b, DynamicsKind kind, int obj) {
    const bool rms = kind == DynamicsKind::Rms;
    const std::string key = (rms ? "rms." : "peak.") + n(obj + 1) + ".";
    // Objects 1 and 2 serve the outputs; the third is kept and saved only.
    const std::string name = (obj < kOutputs ? "Output " + n(obj + 1) : "Object " + n(obj + 1)) +
                             (rms ? " RMS " : " peak ");
    const auto at = static_cast<std::size_t>(obj);
    const auto of = [kind, at](const PresetParameters& p) -> const dsp::TDYNAMIC& {
        return (kind == DynamicsKind::Rms ? p.RmsDynamics : p.PeakDynamics)[at];
    };
    const PresetParameters defaults;
    const DynamicsEditor& e = rms ? defaults.RmsEditor : defaults.PeakEditor;
    b.number(key + "threshold", name + "threshold", -50.0, 0.5, 0.5, "dB",
             [of](const PresetParameters& p, std::int32_t) { return of(p).ThresholdDb; },
             [kind, obj](PresetContext& c, double v) { DynamicsSetThreshold(c, kind, obj, v); });
    b.number(key + "ratio", name + "ratio", 1, 10, 1, "",
             [of](const PresetParameters& p, std::int32_t) { return of(p).Ratio; },
             [kind, obj](PresetContext& c, double v) { DynamicsSetRatio(c, kind, obj, v); });
    b.number(key + "knee", name + "knee", -0.5, 10, 0.5, "dB",
             [of](const PresetParameters& p, std::int32_t) { return of(p).ShapeDb; },
             [kind, obj](PresetContext& c, double v) { DynamicsSetKnee(c, kind, obj, v); });
    b.number(key + "gain", name + "make-up gain", -12.1, 6.0, 0.1, "dB",
             [of](const PresetParameters& p, std::int32_t) { return of(p).CurveGainDb; },
             [kind, obj](PresetContext& c, double v) { DynamicsSetCurveGain(c, kind, obj, v); });
    b.choice(
        key + "mode", name + "mode", {"limiter", "compressor"},
        [of](const PresetParameters& p) { return std::string(of(p).CompressorOn ? "compressor" : "limiter"); },
        [kind, obj, k = key + "mode"](PresetContext& c, const std::string& v) {
            const std::string m = lower(v);
            if (m != "limiter" && m != "compressor") throw std::invalid_argument(k + ": give limiter or compressor");
            DynamicsSetCompressor(c, kind, obj, m == "compressor");
        });
    b.onOff(key + "bypass", name + "bypass", [of](const PresetParameters& p) { return of(p).Bypass != 0; },
            [kind, obj](PresetContext& c, bool v) { DynamicsSetBypass(c, kind, obj, v); });
    b.number(key + "hold", name + "hold", e.HoldTimeEdit.minimum(), e.HoldTimeEdit.maximum(), 0.1, "ms",
             [of](const PresetParameters& p, std::int32_t fs) { return of(p).HoldMs(fs); },
             [kind, obj](PresetContext& c, double v) { DynamicsSetHold(c, kind, obj, v); });
    // The decay in steps of 0.137 ms.
    b.number(key + "decay", name + "decay", e.DecayTimeEdit.minimum(), e.DecayTimeEdit.maximum(), 0.137, "ms",
             [of](const PresetParameters& p, std::int32_t) { return of(p).Decay(); },
             [kind, obj](PresetContext& c, double v) { DynamicsSetDecay(c, kind, obj, v); });
    b.whole(key + "gate", name + "gate", e.GatePosition.minimum(), e.GatePosition.maximum(), 1, "",
            [of](const PresetParameters& p, std::int32_t) { return of(p).GateSetting; },
            [kind, obj](PresetContext& c, int v) { DynamicsSetGate(c, kind, obj, v); });
    b.table.back().valueNames = gateNames();
    // The ramp's length in points of the gain table.
    b.whole(key + "ramp", name + "gate ramp", e.GateRampSource.minimum(), e.GateRampSource.maximum(), 1, "points",
            [of](const PresetParameters& p, std::int32_t) { return of(p).GateRamp; },
            [kind, obj](PresetContext& c, int v) { DynamicsSetGateRamp(c, kind, obj, v); });
    if (!rms) return;
    // The detector's fall: its coefficient is 1 - 10^(-v / (10 fs)), v dB per second.
    b.number(key + "time", name + "time constant", e.RmsTimeConstEdit.minimum(), e.RmsTimeConstEdit.maximum(), 0.1,
             "dB/s", [of](const PresetParameters& p, std::int32_t fs) { return of(p).RmsTime(fs); },
             [obj](PresetContext& c, double v) { DynamicsSetRmsTime(c, obj, v); });
    // The ranges the program image holds them in.
    const auto amplifier = [&](const std::string& what, const std::string& label, double minimum, double maximum,
                               const std::string& unit, float dsp::TDYNAMIC::*field, AmplifierValue which) {
        b.number(key + what, name + label, minimum, maximum, 0.1, unit,
                 [of, field](const PresetParameters& p, std::int32_t) { return of(p).*field; },
                 [obj, which](PresetContext& c, double v) { DynamicsSetAmplifier(c, obj, which, v); });
    };
    amplifier("impedance", "impedance", 0.1, 655.3, "Ω", &dsp::TDYNAMIC::ImpedanceOhm, AmplifierValue::ImpedanceOhm);
    amplifier("boxpower", "loudspeaker power", 1, 65535, "W", &dsp::TDYNAMIC::BoxPowerW, AmplifierValue::BoxPowerW);
    amplifier("amppower", "amplifier power", 1, 65535, "W", &dsp::TDYNAMIC::AmpPowerW, AmplifierValue::AmpPowerW);
    amplifier("ampgain", "amplifier gain", 1, 255, "", &dsp::TDYNAMIC::AmpGain, AmplifierValue::AmpGain);
    b.onOff(key + "bridge", name + "bridge mode", [of](const PresetParameters& p) { return of(p).AmpBridgeMode != 0; },
            [obj](PresetContext& c, bool v) { DynamicsSetBridgeMode(c, obj, v); });
}

std::array<ImportOutcome, 2> runImport(PresetContext& c) {
    return RunImport(c.p.Import, c.p.Grid.frequencies(), {c.p.Import.Sensitivity.value(), c.p.PresetFolder}, c.ui);
}

void addImport(Builder& b) {
    for (std::size_t file = 0; file < kOutputs; ++file)
        b.text("import." + n(static_cast<int>(file) + 1), "Measurement file " + n(static_cast<int>(file) + 1), 0,
               [file](const PresetParameters& p) { return p.Import.path[file]; },
               [file](PresetContext& c, const std::string& v) {
                   c.p.Import.path[file] = v;
                   // Opening a preset keeps a missing file's name quietly; a file named now
                   // that cannot be read is said, with the reason.
                   if (runImport(c)[file] != ImportOutcome::Missing) return;
                   std::string error;
                   readWholeFile(v, error);
                   c.notice(MessageKind::Warning, error + "; no measured curve is shown.");
               });
    b.whole("import.type", "Import format", 0, kFrdFormat, 1, "",
            [](const PresetParameters& p, std::int32_t) { return p.Import.ImportDataType; },
            [](PresetContext& c, int v) {
                if (v < 0 || v > kFrdFormat)
                    throw std::invalid_argument("import.type: " + n(v) + " is outside 0.." + n(kFrdFormat));
                c.p.Import.ImportDataType = v;
                runImport(c);
            });
    b.table.back().valueNames = formatNames();
    const NumberSource& reference = PresetParameters().Import.ReferenceLevel;
    b.number("import.reference", "Reference level", reference.minimum(), reference.maximum(), 0.1, "dB SPL",
             [](const PresetParameters& p, std::int32_t) { return p.Import.ReferenceLevel.value(); },
             [](PresetContext& c, double v) {
                 c.p.Import.ReferenceLevel.setValue(v);
                 runImport(c);
             });
}

std::vector<Parameter> buildTable() {
    Builder b;
    addIdentity(b);
    for (int out = 0; out < kOutputs; ++out) {
        addOutput(b, out);
        addEqualiser(b, out);
        addCrossover(b, out, CrossoverEdge::HighPass);
        addCrossover(b, out, CrossoverEdge::LowPass);
    }
    for (int obj = 0; obj < kDynamicsObjects; ++obj) addDynamics(b, DynamicsKind::Rms, obj);
    for (int obj = 0; obj < kDynamicsObjects; ++obj) addDynamics(b, DynamicsKind::Peak, obj);
    addImport(b);
    return std::move(b.table);
}

// The name's dotted parts with indexes written plainly and the edges' other names mapped.
std::string canonicalKey(std::string_view name) {
    std::string key;
    std::size_t start = 0;
    for (int part = 0;; ++part) {
        const auto dot = name.find('.', start);
        std::string word = lower(name.substr(start, dot == std::string_view::npos ? dot : dot - start));
        long index = 0;
        const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), index);
        if (ec == std::errc() && end == word.data() + word.size() && !word.empty()) word = std::to_string(index);
        if (part == 2 && key.starts_with("xover.")) {
            if (word == "low") word = "hp";
            if (word == "high") word = "lp";
        }
        key += (part == 0 ? "" : ".") + word;
        if (dot == std::string_view::npos) return key;
        start = dot + 1;
    }
}

}  // namespace

const std::vector<Parameter>& parameterTable() {
    static const std::vector<Parameter> table = buildTable();
    return table;
}

const Parameter* findParameter(std::string_view name) {
    const std::string key = canonicalKey(name);
    for (const Parameter& p : parameterTable())
        if (p.key == key) return &p;
    return nullptr;
}

}  // namespace vela
