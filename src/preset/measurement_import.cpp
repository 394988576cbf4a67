#include "preset/measurement_import.h"

#include "core/input_file.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <numbers>
#include <numeric>

namespace vela {
namespace {

constexpr std::array<ImportFormat, 11> kFormats = {{
    {0, "CLIO", "    Freq\t      dB\t   Phase", 0, 1, {1, 8}, {10, 17}, {19, 26}, true},
    {1, "MLSSA", "      \"Hz\"  \"Mag (dB)\"       \"deg\"", 1, 2, {1, 10}, {12, 22}, {24, 34}, true},
    {2, "WINAIR", " WinAIRR saved file", 0, 4, {1, 10}, {11, 22}, {23, 34}, false},
    {3, "SIA Smaart Pro - Transfer Function", "; Frequency (Hz)\tMagnitude (dB)\tPhase (degrees)", 1, 18, {}, {},
     {}, true},
    {4, "MiniLyzer", "    f[Hz] Level[dBu]", 0, 1, {1, 9}, {12, 20}, {}, false},
    {6, " CALSOD ", "CALSOD", 0, 8, {1, 9}, {10, 17}, {18, 25}, true},
    {7, "DAAS 32 - CALSOD ", "CALSOD", 0, 8, {1, 9}, {10, 17}, {18, 25}, false},
    {8, "LoudSpeaker Lab - CALSOD ", "CALSOD", 0, 8, {1, 9}, {10, 17}, {18, 25}, false},
    {9, "MiniLyzerSPL", "", -1, 1, {1, 9}, {12, 20}, {}, false},
    {10, "MiniLyzerFFT", "", -1, 7, {1, 9}, {12, 18}, {}, false},
    {kFrdFormat, "FRD", "", -1, 0, {}, {}, {}, true},
}};

// The second CLIO layout, chosen when line 0 begins with "Freq [Hz]".
constexpr ImportFormat kClioSecond = {0, "CLIO", "Freq [Hz]", 0, 1, {1, 9}, {17, 24}, {33, 39}, true};
constexpr int kSmaartLastHeaderLine = 39;

// Lines as a text list splits them: at CR, LF or CR LF.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string_view columns(std::string_view line, Columns c) {
    const auto first = static_cast<std::size_t>(c.first - 1);
    if (first >= line.size()) return {};
    return line.substr(first, static_cast<std::size_t>(c.last - c.first + 1));
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isBlank(std::string_view s) { return trim(s).empty(); }

// An FRD value written with a decimal comma ("93,5"): one comma and no point. The columns are
// split at blanks and tabs, so the comma cannot be a separator there.
std::string frdDecimalPoint(std::string_view text) {
    std::string s(trim(text));
    const auto comma = s.find(',');
    if (comma != std::string::npos && s.find(',', comma + 1) == std::string::npos && s.find('.') == std::string::npos)
        s[comma] = '.';
    return s;
}

// A decimal number with "." as separator whatever the locale; only values that single
// precision, which keeps the curves, holds as finite numbers.
std::optional<double> toNumber(std::string_view text) {
    std::string_view s = trim(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size() || !std::isfinite(static_cast<float>(v)))
        return std::nullopt;
    return v;
}

const ImportFormat* checkHeader(const std::vector<std::string_view>& lines, const ImportFormat& format) {
    const auto line = [&](int i) -> std::optional<std::string_view> {
        if (i < 0 || static_cast<std::size_t>(i) >= lines.size()) return std::nullopt;
        return lines[static_cast<std::size_t>(i)];
    };
    if (format.code == 0) {
        const auto l0 = line(0);
        if (!l0) return nullptr;
        if (*l0 == format.header) return &format;
        if (l0->size() >= 9 && l0->substr(0, 9) == kClioSecond.header) return &kClioSecond;
        return nullptr;
    }
    if (format.code == 3) {
        for (int i = 1; i <= kSmaartLastHeaderLine; ++i)
            if (const auto l = line(i); l && *l == format.header) return &format;
        return nullptr;
    }
    if (format.headerLine < 0) return &format;
    const auto l = line(format.headerLine);
    return l && *l == format.header ? &format : nullptr;
}

// The Smaart layout: tab-separated, only lines that start with a digit.
struct Fields {
    std::string_view frequency, magnitude, phase;
};

// FRD: values separated by any run of blanks and tabs; a missing phase reads as 0.
bool isFrdComment(std::string_view line) {
    const std::string_view t = trim(line);
    return !t.empty() && (t.front() == '*' || t.front() == '"' || t.front() == '#');
}

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// The units an FRD header gives its columns ("Freq(Hz) SPL(Pa) Phase(rad)", "Frequency [Hz]
// Magnitude [dB] Phase [deg]"): a header line is one whose first column names the frequency.
struct FrdUnits {
    bool pascal = false;   // levels are sound pressures, not dB
    bool radians = false;  // phases are radians, not degrees
};

std::optional<FrdUnits> frdHeaderUnits(std::string_view line) {
    std::vector<std::string> names;
    std::string word;
    int depth = 0;
    const auto flush = [&] {
        if (word.empty()) return;
        // "Frequency [Hz]": a unit standing apart belongs to the name before it.
        if (!names.empty() && (word.front() == '(' || word.front() == '['))
            names.back() += word;
        else
            names.push_back(word);
        word.clear();
    };
    for (const char c : line) {
        if (c == '(' || c == '[') ++depth;
        if (c == ')' || c == ']') depth = std::max(depth - 1, 0);
        if (depth == 0 && (c == ' ' || c == '\t' || c == ',' || c == ';')) {
            flush();
            continue;
        }
        if (c == '*' || c == '"' || c == '#' || c == '\'') continue;
        word += c;
    }
    flush();
    if (names.size() < 2) return std::nullopt;
    const std::string first = lower(names[0]);
    if (first.rfind("freq", 0) != 0 && first.find("hz") == std::string::npos) return std::nullopt;
    // A column's unit: what its brackets hold, else the name itself.
    const auto unit = [&](std::size_t i) {
        if (i >= names.size()) return std::string();
        const std::string n = lower(names[i]);
        const auto open = n.find_first_of("([");
        if (open == std::string::npos) return n;
        const auto close = n.find_first_of(")]", open);
        return n.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    };
    FrdUnits u;
    u.pascal = unit(1) == "pa";
    u.radians = unit(2).rfind("rad", 0) == 0;
    return u;
}

// A line of column names ("Freq SPL Phase"), as exports head their points with: no field
// begins as a number does.
bool isColumnNames(std::string_view line) {
    std::string_view t = trim(line);
    while (!t.empty()) {
        const char c = t.front();
        if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',') return false;
        const auto end = t.find_first_of(" \t");
        if (end == std::string_view::npos) break;
        t = trim(t.substr(end));
    }
    return true;
}

// Whether an FRD line gives a third value, the phase.
bool hasThirdField(std::string_view line) {
    std::size_t i = 0, count = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i < line.size()) ++count;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    return count >= 3;
}

Fields blankFields(std::string_view line) {
    std::array<std::string_view, 3> f{};
    std::size_t i = 0;
    for (auto& field : f) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        field = line.substr(start, i - start);
        // "20.0, 80.5, 12" separates with a comma and a blank; a decimal comma has no blank after it.
        if (i < line.size() && field.size() > 1 && (field.back() == ',' || field.back() == ';'))
            field.remove_suffix(1);
    }
    return {f[0], f[1], f[2].empty() ? std::string_view("0") : f[2]};
}

// Exports that sweep from high to low frequency are read in rising order, which the
// resampling needs; points at one frequency keep their order.
void sortByFrequency(MeasuredCurve& c) {
    std::vector<std::size_t> order(c.frequency.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return c.frequency[a] < c.frequency[b]; });
    MeasuredCurve sorted;
    for (const std::size_t i : order) {
        sorted.frequency.push_back(c.frequency[i]);
        sorted.magnitude.push_back(c.magnitude[i]);
        sorted.phase.push_back(c.phase[i]);
    }
    c = std::move(sorted);
}

Fields tabFields(std::string_view line) {
    Fields f;
    const auto t1 = line.find('\t');
    f.frequency = line.substr(0, t1);
    if (t1 == std::string_view::npos) return f;
    const auto t2 = line.find('\t', t1 + 1);
    f.magnitude = line.substr(t1 + 1, t2 == std::string_view::npos ? std::string_view::npos : t2 - t1 - 1);
    if (t2 != std::string_view::npos) f.phase = line.substr(t2 + 1, 15);
    return f;
}

}  // namespace

const ImportFormat* importFormat(std::int32_t code) {
    for (const auto& f : kFormats)
        if (f.code == code) return &f;
    return nullptr;
}

std::span<const ImportFormat> importFormats() { return kFormats; }

namespace {

// A header as the user would type it: tabs shown as \t.
std::string visibleText(std::string_view text) {
    std::string s;
    for (char c : text) s += c == '\t' ? std::string("\\t") : std::string(1, c);
    return s;
}

std::string columnText(const char* what, Columns c) {
    return std::string(what) + " in columns " + std::to_string(c.first) + "-" + std::to_string(c.last);
}

std::string columnLayout(const ImportFormat& f) {
    std::string s = "from line " + std::to_string(f.firstDataLine + 1) + ": " + columnText("frequency", f.frequency) +
                    ", " + columnText(f.code == 4 ? "level (dBu)" : "magnitude (dB)", f.magnitude);
    if (f.phase.first > 0) s += ", " + columnText(f.phaseInDegrees ? "phase (degrees)" : "phase", f.phase);
    return s;
}

}  // namespace

std::string importLayout(const ImportFormat& f) {
    const std::string header = "\"" + visibleText(f.header) + "\"";
    switch (f.code) {
    case 0:
        return "line 1 is " + header + ", then values " + columnLayout(f) + "; or line 1 begins with \"" +
               std::string(kClioSecond.header) + "\", then values " + columnLayout(kClioSecond);
    case 3:
        return header + " on one of lines 2 to " + std::to_string(kSmaartLastHeaderLine + 1) + "; from line " +
               std::to_string(f.firstDataLine + 1) +
               ", lines that begin with a digit: frequency, magnitude (dB) and phase (degrees) separated by tabs";
    case kFrdFormat:
        return "lines of frequency, magnitude (dB) and phase (degrees; may be left out) separated by blanks or "
               "tabs, with a decimal point or comma, in any order of frequency; lines beginning with *, # or \" "
               "are comments, as is a line of column names before the first point, whose units may give the "
               "magnitude in Pa and the phase in rad";
    default:
        if (f.headerLine < 0) return "no header; values " + columnLayout(f);
        return "line " + std::to_string(f.headerLine + 1) + " is " + header + "; values " + columnLayout(f);
    }
}

ParseResult parseMeasurement(std::string_view text, const ImportFormat& requested, double sensitivity) {
    ParseResult r;
    const auto lines = splitLines(text);
    const ImportFormat* format = checkHeader(lines, requested);
    if (!format) {
        r.status = ParseStatus::NotValid;
        return r;
    }
    const bool tabbed = format->code == 3;
    const bool frd = format->code == kFrdFormat;
    const bool dbu = format->code == 4;
    const bool hasPhase = tabbed || frd || format->phase.first > 0;
    const auto n = lines.size();
    const auto first = static_cast<std::size_t>(format->firstDataLine);
    FrdUnits units;
    if (n > first) {
        r.curve.frequency.reserve(n - first);
        r.curve.magnitude.reserve(n - first);
        r.curve.phase.reserve(n - first);
    }
    for (std::size_t l = first; l < n; ++l) {
        const std::string_view line = lines[l];
        // Blank lines (a trailing empty line of an export) carry no point.
        if (isBlank(line)) continue;
        Fields f;
        if (frd) {
            const bool beforePoints = r.curve.frequency.empty();
            if (beforePoints && (isFrdComment(line) || isColumnNames(line)))
                if (const auto u = frdHeaderUnits(line)) {
                    // Other lines may begin with "Frequency" too ("* Frequency Step: 1 Hz").
                    units.pascal = units.pascal || u->pascal;
                    units.radians = units.radians || u->radians;
                }
            if (isFrdComment(line)) continue;
            if (beforePoints && isColumnNames(line)) continue;
            if (hasThirdField(line)) r.phaseGiven = true;
            f = blankFields(line);
        } else if (tabbed) {
            if (line.front() < '0' || line.front() > '9') continue;
            f = tabFields(line);
        } else {
            f = {columns(line, format->frequency), columns(line, format->magnitude),
                 hasPhase ? columns(line, format->phase) : std::string_view{}};
        }
        const auto fail = [&](std::string_view what) {
            r.status = ParseStatus::BadNumber;
            r.badLine = static_cast<int>(l);
            r.badText = std::string(trim(what));
            return r;
        };
        const auto number = [&](std::string_view field) {
            return frd ? toNumber(frdDecimalPoint(field)) : toNumber(field);
        };
        const auto freq = number(f.frequency);
        if (!freq) return fail(f.frequency);
        const auto mag = number(f.magnitude);
        if (!mag) return fail(f.magnitude);
        double ph = 0;
        if (hasPhase) {
            const auto p = number(f.phase);
            if (!p) return fail(f.phase);
            ph = *p;
        }
        double magnitude = *mag;
        if (units.pascal) {
            if (!(magnitude > 0)) return fail(f.magnitude);
            magnitude = 20.0 * std::log10(magnitude / 0.00002);
        }
        if (units.radians) ph *= 180.0 / std::numbers::pi;
        if (dbu) {
            // Level in dBu at the microphone to sound pressure level.
            const double s = sensitivity > 0 ? sensitivity : kDefaultSensitivity;
            const double pascal = std::pow(10.0, magnitude / 20.0) * 0.775 / s;
            magnitude = 20.0 * std::log10(pascal / 0.00002);
        }
        r.curve.frequency.push_back(static_cast<float>(*freq));
        r.curve.magnitude.push_back(static_cast<float>(magnitude));
        r.curve.phase.push_back(static_cast<float>(ph));
    }
    if (!frd) r.phaseGiven = hasPhase;
    bool rises = true, falls = true;
    for (std::size_t i = 1; i < r.curve.frequency.size(); ++i) {
        rises = rises && r.curve.frequency[i] > r.curve.frequency[i - 1];
        falls = falls && r.curve.frequency[i] < r.curve.frequency[i - 1];
    }
    r.oneWay = rises || falls;
    if (frd) {
        // A file of comments only is no measurement, however well-formed.
        if (r.curve.frequency.empty()) r.status = ParseStatus::NoData;
        sortByFrequency(r.curve);
    }
    return r;
}

void resampleMeasurement(const MeasuredCurve& m, const ImportFormat& format, std::span<const std::int32_t> grid,
                         double referenceLevel, ImportCurve& out) {
    out = ImportCurve{};
    const std::size_t count = m.frequency.size();
    const std::size_t points = std::min(grid.size(), kImportPoints);
    const double phaseScale = format.phaseInDegrees ? std::numbers::pi / 180.0 : 1.0;
    std::size_t i = 0;
    for (std::size_t k = 0; k < points; ++k) {
        const double g = grid[k];
        if (count == 0 || g > m.frequency[count - 1] || g < m.frequency[0]) {
            out.magnitude[k] = kOutsideMagnitude;
            out.phase[k] = 0.0f;
            continue;
        }
        if (count == 1) {
            out.magnitude[k] = static_cast<float>(m.magnitude[0] - referenceLevel);
            out.phase[k] = static_cast<float>(m.phase[0] * phaseScale);
            continue;
        }
        while (i + 2 < count && g > m.frequency[i] && g >= m.frequency[i + 1]) ++i;
        const double f0 = m.frequency[i], f1 = m.frequency[i + 1];
        // Two points at one frequency have no slope between them: take the first.
        const double t = f1 != f0 ? (g - f0) / (f1 - f0) : 0.0;
        const double mag = m.magnitude[i] + (m.magnitude[i + 1] - double(m.magnitude[i])) * t;
        const double ph = m.phase[i] + (m.phase[i + 1] - double(m.phase[i])) * t;
        out.magnitude[k] = static_cast<float>(mag - referenceLevel);
        out.phase[k] = static_cast<float>(ph * phaseScale);
    }
}

std::optional<std::string> readWholeFile(const std::string& path, std::string& error) {
    const auto bytes = readInputFile(platform::pathFromUtf8(path), kLongestMeasurementFile + 1, error);
    if (!bytes) return std::nullopt;
    if (bytes->size() > kLongestMeasurementFile) {
        error = path + ": too long for a measurement export";
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

std::string notValidMessage(const std::string& path, const ImportFormat& format) {
    return path + " is not a valid " + std::string(format.name) + " exported data file.";
}

std::string badNumberMessage(const std::string& path, const ParseResult& parsed, const ImportFormat& format) {
    std::string text = path + ", line " + std::to_string(parsed.badLine + 1) + ": \"" + parsed.badText +
                       "\" is not a valid number. " + std::string(format.name) + " expects: " + importLayout(format) + ".";
    // Values in fixed columns are the usual victim of an export that separates them instead.
    if (format.code != 3 && format.code != kFrdFormat)
        text += " Values separated by blanks or tabs read as format " + std::to_string(kFrdFormat) + " (FRD).";
    return text;
}

std::string noDataMessage(const std::string& path, const ImportFormat& format) {
    return path + " holds no measured point. " + std::string(format.name) + " expects: " + importLayout(format) + ".";
}

std::string bareFileName(const std::string& path) {
    const auto p = path.find_last_of("\\/");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::array<ImportOutcome, 2> RunImport(ImportData& data, std::span<const std::int32_t> grid, const ImportOptions& options,
                                       UserInterface& ui) {
    std::array<ImportOutcome, 2> outcome{ImportOutcome::NoFile, ImportOutcome::NoFile};
    for (std::size_t out = 0; out < 2; ++out) {
        data.curves[out] = ImportCurve{};
        const std::string& path = data.path[out];
        if (path.empty()) continue;
        std::optional<std::string> text;
        ParseResult parsed;
        const ImportFormat* format = importFormat(data.ImportDataType);
        try {
            std::string error;
            text = readWholeFile(path, error);
            if (!text && !options.presetFolder.empty()) {
                const auto beside =
                    platform::pathFromUtf8(options.presetFolder) / platform::pathFromUtf8(bareFileName(path));
                text = readWholeFile(platform::utf8FromPath(beside), error);
            }
            // The name stays: a save must not drop a file that is merely not here now.
            if (!text) {
                outcome[out] = ImportOutcome::Missing;
                continue;
            }
            if (!format) {
                // Code 5 and unknown codes have no format: no data.
                outcome[out] = ImportOutcome::NoFormat;
                continue;
            }
            parsed = parseMeasurement(*text, *format, options.sensitivity);
        } catch (const std::bad_alloc&) {
            ui.message(MessageKind::Plain, Buttons::Ok, "Not enough memory. Please close the others programs.");
            outcome[out] = ImportOutcome::OutOfMemory;
            return outcome;
        }
        if (parsed.status == ParseStatus::NotValid) {
            ui.message(MessageKind::Plain, Buttons::Ok, notValidMessage(path, *format));
            outcome[out] = ImportOutcome::NotValid;
            continue;
        }
        if (parsed.status == ParseStatus::BadNumber) {
            ui.error(badNumberMessage(path, parsed, *format));
            outcome[out] = ImportOutcome::BadNumber;
            continue;
        }
        if (parsed.status == ParseStatus::NoData) {
            ui.error(noDataMessage(path, *format));
            outcome[out] = ImportOutcome::NoData;
            continue;
        }
        resampleMeasurement(parsed.curve, *format, grid, data.ReferenceLevel.value(), data.curves[out]);
        outcome[out] = ImportOutcome::Imported;
    }
    return outcome;
}

}  // namespace vela
