// import: one measurement export file onto the 400-point display grid.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "dsp/number_text.h"
#include "dsp/response.h"
#include "preset/measurement_import.h"

#include <charconv>
#include <stdexcept>

namespace vela::cli {
namespace {

// The shortest text that reads back as the same single-precision value, "." as separator.
std::string floatText(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Breaks a long line at blanks, continuing under `indent` spaces, to suit a terminal.
std::string wrapped(const std::string& line, std::size_t width, std::size_t indent) {
    std::string out;
    std::size_t start = 0, column = 0;
    while (start < line.size()) {
        const std::size_t room = width - column;
        if (line.size() - start <= room) {
            out += line.substr(start);
            break;
        }
        std::size_t cut = line.rfind(' ', start + room);
        if (cut == std::string::npos || cut <= start) cut = start + room;
        out += line.substr(start, cut - start) + "\n" + std::string(indent, ' ');
        column = indent;
        start = cut + (line[cut] == ' ' ? 1 : 0);
    }
    return out;
}

}  // namespace

const char* importHelp() {
    static const std::string text = [] {
        std::string s =
            "usage: velaupdate import --format CODE FILE [--reference DB] [--sensitivity MV] [--json]\n"
            "Reads a frequency response exported as text by a measurement program and resamples it onto\n"
            "the first 400 points of the display grid (whole Hz, logarithmic from 20 Hz). Prints one line\n"
            "per point: frequency, magnitude in dB relative to the reference level, phase (radians for\n"
            "the formats exported in degrees; as read for the others). Points outside the measured range\n"
            "hold -140 dB and phase 0. --json prints {\"frequency\": [...], \"magnitude\": [...],\n"
            "\"phase\": [...]}.\n"
            "  --format CODE     the exporting program (lines and columns counted from 1):\n";
        for (const ImportFormat& f : importFormats())
            s += wrapped("    " + std::to_string(f.code) + (f.code < 10 ? "  " : " ") + std::string(f.name) + ": " +
                             importLayout(f),
                         96, 8) +
                 "\n";
        s += "  --reference DB    the level in dBspl that becomes 0 dB, -140..140 (default 90)\n"
             "  --sensitivity MV  microphone sensitivity for format 4, 1..999 mV/Pa (default 20)\n"
             "A file that is not the chosen format's export, one without a single point, or a field that\n"
             "is not a number (named with its line and the layout the format expects), ends with exit code 3.\n";
        return s;
    }();
    return text.c_str();
}

int runImport(Context& ctx) {
    if (ctx.args.positional.size() != 1) throw std::invalid_argument("usage: velaupdate import --format CODE FILE");
    const std::string path = ctx.args.positional[0];
    const auto code = ctx.args.integer("format");
    if (!code) throw std::invalid_argument("give the file's format: --format CODE (velaupdate import --help)");
    const ImportFormat* format = importFormat(static_cast<std::int32_t>(*code));
    if (!format) throw std::invalid_argument("--format: " + std::to_string(*code) + " is not one of 0..4, 6.." + std::to_string(kFrdFormat));
    ImportData data;
    if (const auto ref = ctx.args.number("reference")) {
        if (!(*ref >= -140.0 && *ref <= 140.0)) throw std::invalid_argument("--reference: -140..140 dBspl");
        data.ReferenceLevel.setValue(*ref);
    }
    double sensitivity = kDefaultSensitivity;
    if (const auto mv = ctx.args.number("sensitivity")) {
        if (!(*mv >= 1.0 && *mv <= 999.0)) throw std::invalid_argument("--sensitivity: 1..999 mV/Pa");
        sensitivity = *mv / 1000.0;
    }
    std::string error;
    const auto text = readWholeFile(path, error);
    if (!text) {
        ctx.ui.error(error);
        return kExitBadInput;
    }
    const ParseResult parsed = parseMeasurement(*text, *format, sensitivity);
    if (parsed.status == ParseStatus::NotValid) {
        ctx.ui.message(MessageKind::Plain, Buttons::Ok, notValidMessage(path, *format));
        return kExitBadInput;
    }
    if (parsed.status == ParseStatus::BadNumber) {
        ctx.ui.error(badNumberMessage(path, parsed, *format));
        return kExitBadInput;
    }
    if (parsed.status == ParseStatus::NoData) {
        ctx.ui.error(noDataMessage(path, *format));
        return kExitBadInput;
    }
    const dsp::ResponseGrid grid(kSampleRate);
    ImportCurve curve;
    resampleMeasurement(parsed.curve, *format, grid.frequencies(), data.ReferenceLevel.value(), curve);

    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.key("frequency");
        j.beginArray();
        for (std::size_t k = 0; k < kImportPoints; ++k) j.value(grid.frequency(static_cast<int>(k)));
        j.endArray();
        j.array("magnitude", std::vector<double>(curve.magnitude.begin(), curve.magnitude.end()));
        j.array("phase", std::vector<double>(curve.phase.begin(), curve.phase.end()));
        j.endObject();
        j.finish();
        return kExitOk;
    }
    ctx.out.print("# frequency (Hz)  magnitude (dB re %s dBspl)  phase\n",
                  dsp::plainText(data.ReferenceLevel.value()).c_str());
    for (std::size_t k = 0; k < kImportPoints; ++k)
        ctx.out.print("%d %s %s\n", grid.frequency(static_cast<int>(k)),
                      floatText(curve.magnitude[k]).c_str(), floatText(curve.phase[k]).c_str());
    return kExitOk;
}

}  // namespace vela::cli
