// preset tune: fits a preset's crossover, alignment and equaliser to two measured drivers.
#include "cli/json.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "core/args.h"
#include "core/exit_codes.h"
#include "dsp/number_text.h"
#include "preset/acoustic_sum.h"
#include "tune/driver_file.h"
#include "tune/fitter.h"

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <tuple>

namespace vela::cli {
namespace {

constexpr int kExitNotImproved = 1;
constexpr std::size_t kStoredPathLength = 100; // what the preset file keeps of a measurement's path
const char* const kUsage =
    "velaupdate preset tune FILE.hdp --measured 1=WOOFER --measured 2=TWEETER [--target flat|SLOPE|FILE] "
    "[--range LOW-HIGH] [--keep crossover|eq|alignment]... [--max-boost DB] [--magnitude-only] [--out FILE.hdp] "
    "[--json]";

void refuse(Context& ctx, const std::string& text) {
    ctx.ui.error("velaupdate preset tune: " + text + "; nothing written");
}

// One driver's measurement and the format it was read in, or nothing once its refusal is said.
std::optional<std::pair<DriverResponse, std::int32_t>>
readDriver(Context& ctx, const std::string& path, std::int32_t presetFormat, double sensitivity) {
    std::string error;
    auto d = tune::readDriverFile(path, presetFormat, sensitivity, error);
    if (!d) {
        refuse(ctx, error);
        return std::nullopt;
    }
    return std::pair{std::move(d->driver), d->format};
}

tune::Target targetOf(Context& ctx, const std::string& text, bool& refused) {
    if (text == "flat") return tune::Target::flat();
    try {
        std::size_t used = 0;
        const double slope = std::stod(text, &used);
        if (used == text.size() && std::isfinite(slope)) return tune::Target::slope(slope);
    } catch (const std::exception&) {
    }
    std::string error;
    const auto file = readWholeFile(text, error);
    if (!file) {
        refuse(ctx, "--target: " + error);
        refused = true;
        return {};
    }
    const auto target = tune::parseTarget(*file, error);
    if (!target) {
        refuse(ctx, "--target " + text + ": " + error);
        refused = true;
        return {};
    }
    return *target;
}

std::pair<double, double> rangeOf(const std::string& text) {
    const auto dash = text.find('-', 1);
    if (dash == std::string::npos) throw std::invalid_argument("--range: LOW-HIGH in Hz, as 150-15000");
    const double low = parseNumber(text.substr(0, dash), "--range");
    const double high = parseNumber(text.substr(dash + 1), "--range");
    if (!(low > 0 && high > low)) throw std::invalid_argument("--range: LOW-HIGH in Hz with LOW below HIGH");
    return {low, high};
}

std::string number(double v, int decimals) {
    return dsp::fixedText(v, decimals);
}

std::string edgeText(const tune::OutputChoice& c) {
    const char* names[] = {"bypass", "Butterworth", "Linkwitz-Riley", "Bessel", "custom"};
    const std::string side = c.lowPass ? "low-pass " : "high-pass ";
    if (c.edge.alignment == 0) return side + "bypass";
    return side + names[std::min((c.edge.alignment + 1) / 2, 4)] + " order " + std::to_string(c.edge.order) +
           " at " + std::to_string(c.edge.hz) + " Hz";
}

std::string figuresText(const tune::Figures& f) {
    return "RMS " + number(f.rmsDb, 2) + " dB, largest " + number(f.maxDb, 2) + " dB";
}

void printText(Context& ctx, const tune::FitResult& r, const tune::FitOptions& o, bool improved) {
    for (std::size_t k = 0; k < 2; ++k) {
        const tune::OutputChoice& c = r.outputs[k];
        ctx.out.print("Output %zu: %s, level %s dB, %s, delay %d samples (%s ms)\n", k + 1,
                      edgeText(c).c_str(), number(c.levelDb, 1).c_str(),
                      c.inverted ? "inverted" : "normal polarity", c.delaySamples,
                      number(1000.0 * c.delaySamples / kSampleRate, 3).c_str());
        for (std::size_t b = 0; b < c.bands.size(); ++b)
            ctx.out.print("  band %zu: %d Hz, %s dB, Q %s\n", b + 1, c.bands[b].hz,
                          number(c.bands[b].gainDb, 1).c_str(), number(c.bands[b].q, 2).c_str());
        if (!o.keepEqualiser && c.bands.empty()) ctx.out.print("  no equaliser band\n");
    }
    for (const tune::FrequencyRange& g : r.unreachable)
        ctx.out.print("Cannot follow the target from %s to %s Hz: left out of the figures\n",
                      number(g.low, 0).c_str(), number(g.high, 0).c_str());
    if (o.magnitudeOnly)
        ctx.out.print("Magnitude only, the sum not judged: each output, 1/6-octave smoothed, against %s "
                      "through its own crossover, %s-%s Hz, after level matching:\n",
                      o.target.describe().c_str(), number(o.low, 0).c_str(), number(o.high, 0).c_str());
    else
        ctx.out.print("1/6-octave smoothed sum against %s, %s-%s Hz, after level matching:\n",
                      o.target.describe().c_str(), number(o.low, 0).c_str(), number(o.high, 0).c_str());
    ctx.out.print("  before: %s\n  after:  %s\n", figuresText(r.before).c_str(),
                  figuresText(r.after).c_str());
    if (!improved) ctx.out.print("The fit could not improve on the preset\n");
}

void printJson(Context& ctx, const tune::FitResult& r, const tune::FitOptions& o, bool improved) {
    JsonWriter j(ctx.out);
    j.beginObject();
    j.field("magnitudeOnly", o.magnitudeOnly);
    j.key("outputs");
    j.beginArray();
    for (std::size_t k = 0; k < 2; ++k) {
        const tune::OutputChoice& c = r.outputs[k];
        j.beginObject();
        j.field("output", static_cast<int>(k + 1));
        j.field("edge", c.lowPass ? "low-pass" : "high-pass");
        j.field("alignment", static_cast<int>(c.edge.alignment));
        j.field("order", c.edge.order);
        j.field("frequency", c.edge.hz);
        j.field("level", c.levelDb);
        j.field("inverted", c.inverted);
        j.field("delay", c.delaySamples);
        j.key("bands");
        j.beginArray();
        for (const tune::BandChoice& b : c.bands) {
            j.beginObject();
            j.field("frequency", b.hz);
            j.field("gain", b.gainDb);
            j.field("q", b.q);
            j.endObject();
        }
        j.endArray();
        j.endObject();
    }
    j.endArray();
    for (const auto& [name, f] : {std::pair{"before", r.before}, std::pair{"after", r.after}}) {
        j.key(name);
        j.beginObject();
        j.field("rms", f.rmsDb);
        j.field("max", f.maxDb);
        j.endObject();
    }
    j.key("unreachable");
    j.beginArray();
    for (const tune::FrequencyRange& g : r.unreachable) {
        j.beginArray();
        j.value(g.low);
        j.value(g.high);
        j.endArray();
    }
    j.endArray();
    j.key("edits");
    j.beginArray();
    for (const tune::Edit& e : r.edits)
        j.value(e.key + "=" + e.value);
    j.endArray();
    j.field("improved", improved);
    j.endObject();
    j.finish();
}

} // namespace

int runPresetTune(Context& ctx) {
    const std::string file = presetFileArgument(ctx, kUsage);
    std::array<std::string, 2> paths;
    for (const std::string& m : ctx.args.values("measured")) {
        const auto eq = m.find('=');
        const std::string which = m.substr(0, eq);
        if (eq == std::string::npos || (which != "1" && which != "2") || eq + 1 == m.size())
            throw std::invalid_argument("--measured: OUTPUT=FILE with OUTPUT 1 or 2");
        paths[which == "1" ? 0 : 1] = m.substr(eq + 1);
    }
    if (paths[0].empty() || paths[1].empty())
        throw std::invalid_argument(std::string("give both drivers' measurements: ") + kUsage);
    tune::FitOptions options;
    for (const std::string& k : ctx.args.values("keep")) {
        if (k == "crossover")
            options.keepCrossover = true;
        else if (k == "eq")
            options.keepEqualiser = true;
        else if (k == "alignment")
            options.keepAlignment = true;
        else
            throw std::invalid_argument("--keep: crossover, eq or alignment");
    }
    if (const auto range = ctx.args.value("range")) std::tie(options.low, options.high) = rangeOf(*range);
    if (const auto boost = ctx.args.number("max-boost")) {
        if (!(*boost >= 0 && *boost <= 12)) throw std::invalid_argument("--max-boost: 0..12 dB");
        options.maxBoostDb = *boost;
    }
    options.magnitudeOnly = ctx.args.flag("magnitude-only");
    const auto out = ctx.args.value("out");
    if (out && out->empty()) throw std::invalid_argument("--out: give the tuned preset's file");
    if (out && !outputAllowed(ctx, "preset tune", *out, FileKind::Preset, std::span(&file, 1)))
        return kExitBadInput;

    bool refused = false;
    options.target = targetOf(ctx, ctx.args.value("target", "flat"), refused);
    if (refused) return kExitBadInput;
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    std::array<DriverResponse, 2> drivers;
    std::array<std::int32_t, 2> formats{};
    for (std::size_t k = 0; k < 2; ++k) {
        auto d =
            readDriver(ctx, paths[k], s->preset.Import.ImportDataType, s->preset.Import.Sensitivity.value());
        if (!d) return kExitBadInput;
        std::tie(drivers[k], formats[k]) = std::move(*d);
    }
    if (const auto why = tune::refusal(drivers, options)) {
        const bool phaseMissing = !drivers[0].hasPhase || !drivers[1].hasPhase;
        refuse(ctx, *why + (phaseMissing ? " (--magnitude-only equalises each output alone)" : ""));
        return kExitBadInput;
    }
    const tune::FitResult r = tune::fitCabinet(s->preset, drivers, options);
    const bool improved = r.after.rmsDb < r.before.rmsDb - 0.005;
    if (ctx.args.flag("json"))
        printJson(ctx, r, options, improved);
    else
        printText(ctx, r, options, improved);
    if (!improved) return kExitNotImproved;
    if (!out) return kExitOk;

    tune::applyEdits(s->preset, r.edits);
    // The designer keeps the measurements' paths in the preset when they fit its field.
    std::vector<tune::Edit> import;
    // A file beside the saved preset is found by its name alone, as opening the preset looks
    // there: a path too long for the field is kept that way.
    for (std::string& path : paths) {
        std::error_code error;
        if (path.size() > kStoredPathLength &&
            std::filesystem::equivalent(std::filesystem::absolute(path).parent_path(),
                                        std::filesystem::absolute(*out).parent_path(), error))
            path = bareFileName(path);
    }
    const bool fits = formats[0] == formats[1] && paths[0].size() <= kStoredPathLength &&
                      paths[1].size() <= kStoredPathLength;
    if (fits) {
        import = {{"import.type", std::to_string(formats[0])},
                  {"import.1", paths[0]},
                  { "import.2",
                    paths[1] }};
        tune::applyEdits(s->preset, import);
    } else {
        ctx.ui.warning("The measurement files are not named in " + *out +
                       (formats[0] != formats[1] ? ": they are of two formats"
                                                 : ": a path is longer than 100 characters"));
    }
    MessagesOnlyUi ui(ctx.ui);
    if (!savePresetFile(*s, *out, &ui)) return kExitBadInput;
    return kExitOk;
}

} // namespace vela::cli
