#include "preset/measurement_import.h"
#include "support/scripted_ui.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

namespace vela {
namespace {

using test::ScriptedUi;
using test::TempDir;

// The display grid: whole Hz, logarithmic from 20 Hz.
std::vector<std::int32_t> grid() {
    std::vector<std::int32_t> g(401);
    const double step = (std::log10(23999.0) - std::log10(20.0)) / 400.0;
    for (std::size_t i = 0; i < g.size(); ++i)
        g[i] = static_cast<std::int32_t>(std::nearbyint(std::pow(10.0, std::log10(20.0) + static_cast<double>(i) * step)));
    return g;
}

std::size_t firstAtOrAbove(const std::vector<std::int32_t>& g, double f) {
    std::size_t i = 0;
    while (g[i] < f) ++i;
    return i;
}

std::string fmt(const char* format, double a, double b, double c) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

// CLIO, first layout: a flat 93 dB and 45 degrees from 100 Hz to 10 kHz.
std::string clioFile(double from = 100, double to = 10000) {
    std::string s = "    Freq\t      dB\t   Phase\r\n";
    for (double f = from; f < to; f *= 1.25) s += fmt("%8.2f %8.2f %8.2f\r\n", f, 93.0, 45.0);
    s += fmt("%8.2f %8.2f %8.2f\r\n", to, 93.0, 45.0);
    return s;
}

struct Importer {
    TempDir dir;
    ScriptedUi ui;
    ImportData data;
    std::vector<std::int32_t> g = grid();
    ImportOptions options;

    std::array<ImportOutcome, 2> run() { return RunImport(data, g, options, ui); }
};

TEST(MeasurementImport, ClioFirstLayoutRelativeToReferenceAndOutsideRange) {
    Importer t;
    t.data.path[0] = t.dir.write("m.txt", clioFile());
    const auto outcome = t.run();
    EXPECT_EQ(outcome[0], ImportOutcome::Imported);
    EXPECT_EQ(outcome[1], ImportOutcome::NoFile);
    const ImportCurve& c = t.data.curves[0];
    const std::size_t in = firstAtOrAbove(t.g, 100);
    EXPECT_EQ(c.magnitude[in - 1], -140.0f);
    EXPECT_EQ(c.phase[in - 1], 0.0f);
    EXPECT_NEAR(c.magnitude[in], 3.0, 1e-4);  // 93 dB against 90 dBspl
    EXPECT_NEAR(c.phase[in], std::numbers::pi / 4, 1e-6);
    const std::size_t above = firstAtOrAbove(t.g, 10000.01);
    EXPECT_NEAR(c.magnitude[above - 1], 3.0, 1e-4);
    EXPECT_EQ(c.magnitude[above], -140.0f);
    EXPECT_EQ(c.magnitude[399], -140.0f);
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(MeasurementImport, InterpolatesLinearlyInFrequency) {
    Importer t;
    t.data.ReferenceLevel.setValue(0);
    std::string s = "    Freq\t      dB\t   Phase\n";
    s += fmt("%8.2f %8.2f %8.2f\n", 20.0, 0.0, 0.0);
    s += fmt("%8.2f %8.2f %8.2f\n", 20000.0, 100.0, 90.0);
    t.data.path[1] = t.dir.write("m.txt", s);
    t.run();
    for (std::size_t k : {0u, 100u, 250u, 380u}) {
        const double expected = (t.g[k] - 20.0) / 19980.0 * 100.0;
        EXPECT_NEAR(t.data.curves[1].magnitude[k], expected, 1e-3) << k;
    }
}

TEST(MeasurementImport, ClioSecondLayoutWhenLineZeroBeginsFreqHz) {
    Importer t;
    std::string s = "Freq [Hz]     dBSPL      Phase [Deg]\n";
    for (double f = 50; f <= 20000; f *= 2) s += fmt("%9.2f       %8.2f        %7.2f\n", f, 96.0, -90.0);
    t.data.path[0] = t.dir.write("clio2.txt", s);
    EXPECT_EQ(t.run()[0], ImportOutcome::Imported);
    const std::size_t in = firstAtOrAbove(t.g, 50);
    EXPECT_NEAR(t.data.curves[0].magnitude[in], 6.0, 1e-4);
    EXPECT_NEAR(t.data.curves[0].phase[in], -std::numbers::pi / 2, 1e-6);
}

TEST(MeasurementImport, SmaartHeaderAnywhereButDataOnlyFromLine18AndDigitLines) {
    Importer t;
    t.data.ImportDataType = 3;
    std::vector<std::string> lines(18, "; comment");
    lines[5] = "; Frequency (Hz)\tMagnitude (dB)\tPhase (degrees)";
    lines[10] = "1\t500\t0";  // before the first data line: never read
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    s += "100\t90\t10\n";
    s += "; a note between data lines\n";
    s += "1000\t100\t30\n";
    t.data.path[0] = t.dir.write("smaart.txt", s);
    EXPECT_EQ(t.run()[0], ImportOutcome::Imported);
    const auto& c = t.data.curves[0];
    EXPECT_EQ(c.magnitude[firstAtOrAbove(t.g, 100) - 1], -140.0f);
    EXPECT_NEAR(c.magnitude[firstAtOrAbove(t.g, 100)], 0.0, 1e-4);
    const std::size_t k = firstAtOrAbove(t.g, 550);
    const double x = (t.g[k] - 100.0) / 900.0;
    EXPECT_NEAR(c.magnitude[k], x * 10, 1e-3);
    EXPECT_NEAR(c.phase[k], (10 + x * 20) * std::numbers::pi / 180, 1e-5);
}

TEST(MeasurementImport, HeaderChecksOfEachFormat) {
    struct Case {
        std::int32_t code;
        std::string good, bad, name;
    };
    const std::vector<Case> cases = {
        {0, "    Freq\t      dB\t   Phase", "    Freq      dB   Phase", "CLIO"},
        {1, "\n      \"Hz\"  \"Mag (dB)\"       \"deg\"", "      \"Hz\"  \"Mag (dB)\"       \"deg\"", "MLSSA"},
        {2, " WinAIRR saved file", "WinAIRR saved file", "WINAIR"},
        {3, "x\n; Frequency (Hz)\tMagnitude (dB)\tPhase (degrees)", "; Frequency (Hz)\tMagnitude (dB)\tPhase (degrees)",
         "SIA Smaart Pro - Transfer Function"},
        {4, "    f[Hz] Level[dBu]", "f[Hz] Level[dBu]", "MiniLyzer"},
        {6, "CALSOD", "CALSOD ", " CALSOD "},
        {7, "CALSOD", "calsod", "DAAS 32 - CALSOD "},
        {8, "CALSOD", "", "LoudSpeaker Lab - CALSOD "},
    };
    for (const auto& c : cases) {
        Importer t;
        t.data.ImportDataType = c.code;
        t.data.path[0] = t.dir.write("good.txt", c.good + "\n");
        t.data.path[1] = t.dir.write("bad.txt", c.bad + "\n");
        const auto outcome = t.run();
        EXPECT_EQ(outcome[0], ImportOutcome::Imported) << c.code;
        EXPECT_EQ(outcome[1], ImportOutcome::NotValid) << c.code;
        ASSERT_EQ(t.ui.messages.size(), 1u) << c.code;
        EXPECT_EQ(t.ui.messages[0].text, t.data.path[1] + " is not a valid " + c.name + " exported data file.");
    }
}

TEST(MeasurementImport, MiniLyzerLevelsInDbuBecomeSoundPressure) {
    Importer t;
    t.data.ImportDataType = 4;
    t.data.ReferenceLevel.setValue(0);
    const std::string s =
        "    f[Hz] Level[dBu]\n" + fmt("%9.2f  %9.3f\n", 20.0, 0.0, 0) + fmt("%9.2f  %9.3f\n", 24000.0, 0.0, 0);
    t.data.path[0] = t.dir.write("mini.txt", s);
    t.run();
    // 0 dBu = 0.775 V; at 20 mV/Pa that is 38.75 Pa.
    EXPECT_NEAR(t.data.curves[0].magnitude[10], 20 * std::log10(38.75 / 0.00002), 1e-3);
    EXPECT_EQ(t.data.curves[0].phase[10], 0.0f);
    t.options.sensitivity = 0.0775;
    t.run();
    EXPECT_NEAR(t.data.curves[0].magnitude[10], 20 * std::log10(10.0 / 0.00002), 1e-3);
}

// A number that fills a column range of `width` characters: a minus sign first and a last
// digit that counts, so that a range one character off either way reads something else.
std::string filling(int width, double magnitude) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "-%0*.3f", width - 1, magnitude);
    EXPECT_EQ(std::strlen(buf), static_cast<std::size_t>(width)) << buf;
    return buf;
}

TEST(MeasurementImport, EveryColumnLayoutReadsNumbersThatFillTheirColumns) {
    struct Range {
        int first, last;
    };
    struct Layout {
        int code;
        std::vector<std::string> head;  // the lines before the first data line
        Range frequency, magnitude, phase;  // phase.first 0: none
    };
    const std::string calsod = "CALSOD";
    const auto filler = [](std::vector<std::string> lines, std::size_t n) {
        while (lines.size() < n) lines.push_back("text line");
        return lines;
    };
    const Layout layouts[] = {
        {0, {"    Freq\t      dB\t   Phase"}, {1, 8}, {10, 17}, {19, 26}},
        {0, {"Freq [Hz]    dB SPL   Phase"}, {1, 9}, {17, 24}, {33, 39}},
        {1, {"text line", "      \"Hz\"  \"Mag (dB)\"       \"deg\""}, {1, 10}, {12, 22}, {24, 34}},
        {2, filler({" WinAIRR saved file"}, 4), {1, 10}, {11, 22}, {23, 34}},
        {4, {"    f[Hz] Level[dBu]"}, {1, 9}, {12, 20}, {0, 0}},
        {6, filler({calsod}, 8), {1, 9}, {10, 17}, {18, 25}},
        {7, filler({calsod}, 8), {1, 9}, {10, 17}, {18, 25}},
        {8, filler({calsod}, 8), {1, 9}, {10, 17}, {18, 25}},
        {9, {"text line"}, {1, 9}, {12, 20}, {0, 0}},
        {10, filler({}, 7), {1, 9}, {12, 18}, {0, 0}},
    };
    for (const Layout& l : layouts) {
        const double f = 100.125, m = 93.375, ph = 45.625;
        std::string row(40, ' ');
        const auto place = [&](Range r, double v) {
            row.replace(static_cast<std::size_t>(r.first - 1), static_cast<std::size_t>(r.last - r.first + 1),
                        filling(r.last - r.first + 1, v));
        };
        place(l.frequency, f);
        place(l.magnitude, m);
        if (l.phase.first) place(l.phase, ph);
        std::string text;
        for (const auto& line : l.head) text += line + "\r\n";
        text += row + "\r\n" + row + "\r\n";

        const ParseResult r = parseMeasurement(text, *importFormat(l.code), kDefaultSensitivity);
        ASSERT_EQ(r.status, ParseStatus::Ok) << "code " << l.code << ", " << l.head[0] << ": \"" << r.badText << "\"";
        ASSERT_EQ(r.curve.frequency.size(), 2u) << "code " << l.code;
        EXPECT_EQ(r.curve.frequency[0], static_cast<float>(-f)) << "code " << l.code;
        // 4 is in dBu at the default 20 mV/Pa; 9 and 10 keep their number.
        const double level = l.code == 4 ? 20 * std::log10(std::pow(10.0, -m / 20) * 0.775 / kDefaultSensitivity / 0.00002) : -m;
        EXPECT_NEAR(r.curve.magnitude[0], level, 1e-4) << "code " << l.code;
        EXPECT_EQ(r.curve.phase[0], l.phase.first ? static_cast<float>(-ph) : 0.0f) << "code " << l.code;
    }
}

TEST(MeasurementImport, NonNumericFieldNamesFileAndLineAndNextOutputStillImports) {
    Importer t;
    std::string s = "    Freq\t      dB\t   Phase\r\n";
    for (double f : {100.0, 200.0}) s += fmt("%8.2f %8.2f %8.2f\r\n", f, 93.0, 45.0);
    s += "   12x.5    93.00    45.00\r\n";
    t.data.path[0] = t.dir.write("broken.txt", s);
    t.data.path[1] = t.dir.write("fine.txt", clioFile());
    const auto outcome = t.run();
    EXPECT_EQ(outcome[0], ImportOutcome::BadNumber);
    EXPECT_EQ(outcome[1], ImportOutcome::Imported);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    const std::string& text = t.ui.messages[0].text;
    EXPECT_EQ(text.rfind(t.data.path[0] + ", line 4: \"12x.5\" is not a valid number. CLIO expects: line 1 is ", 0), 0u)
        << text;
    EXPECT_NE(text.find("Values separated by blanks or tabs read as format 11 (FRD)."), std::string::npos) << text;
    for (float m : t.data.curves[0].magnitude) ASSERT_EQ(m, 0.0f);
    // A number beyond single precision, which keeps the curves, is no number either.
    EXPECT_EQ(parseMeasurement("    Freq\t      dB\t   Phase\n  100.00    1e39    45.00\n", *importFormat(0), 0.02).status,
              ParseStatus::BadNumber);
}

TEST(MeasurementImport, FrdSkipsCommentsAndSplitsAtAnyBlanks) {
    const ImportFormat& frd = *importFormat(kFrdFormat);
    const std::string text = "* exported by a measurement program\r\n"
                             "\"Freq\" \"SPL\" \"Phase\"\r\n"
                             "   * indented comment\r\n"
                             "100\t93.0\t-90\r\n"
                             "  1000   96.5    45  \r\n"
                             "\r\n"
                             "1e4 90\r\n";  // no phase
    const ParseResult r = parseMeasurement(text, frd, 0.02);
    ASSERT_EQ(r.status, ParseStatus::Ok);
    EXPECT_EQ(r.curve.frequency, (std::vector<float>{100, 1000, 10000}));
    EXPECT_EQ(r.curve.magnitude, (std::vector<float>{93.0f, 96.5f, 90}));
    EXPECT_EQ(r.curve.phase, (std::vector<float>{-90, 45, 0}));

    ImportCurve out;
    const auto g = grid();
    resampleMeasurement(r.curve, frd, g, 90.0, out);
    const std::size_t k = firstAtOrAbove(g, 1000);
    const double t = (g[k] - 1000.0) / 9000.0;
    EXPECT_NEAR(out.magnitude[k], 96.5 - 6.5 * t - 90.0, 1e-4);
    EXPECT_NEAR(out.phase[k], 45.0 * (1 - t) * std::numbers::pi / 180, 1e-6);  // degrees to radians
    EXPECT_EQ(out.magnitude[firstAtOrAbove(g, 100) - 1], kOutsideMagnitude);
}

TEST(MeasurementImport, FrdReadsTheUnitsItsHeaderGives) {
    const ImportFormat& frd = *importFormat(kFrdFormat);
    // Pascals and radians, named in a line of column names with units apart in brackets.
    ParseResult r = parseMeasurement("# driver on a +2.5 dB baffle\n"
                                     "Frequency [Hz]\tMagnitude [Pa]\tPhase [rad]\n"
                                     "100 0.02 -1.5707963\n1000 2 3.14159265\n",
                                     frd, 0.02);
    ASSERT_EQ(r.status, ParseStatus::Ok);
    EXPECT_NEAR(r.curve.magnitude[0], 60.0, 1e-4);
    EXPECT_NEAR(r.curve.magnitude[1], 100.0, 1e-4);
    EXPECT_NEAR(r.curve.phase[0], -90.0, 1e-4);
    EXPECT_NEAR(r.curve.phase[1], 180.0, 1e-4);
    // A commented header in dB and degrees, values separated by a comma and a blank.
    r = parseMeasurement("* Measurement data\n* Freq(Hz), SPL(dB), Phase(degrees)\n20.0, 80.5, 12\n40,5, 81, -3,5\n",
                         frd, 0.02);
    ASSERT_EQ(r.status, ParseStatus::Ok);
    EXPECT_EQ(r.curve.frequency, (std::vector<float>{20, 40.5f}));
    EXPECT_EQ(r.curve.magnitude, (std::vector<float>{80.5f, 81}));
    EXPECT_EQ(r.curve.phase, (std::vector<float>{12, -3.5f}));
    // No pressure is zero or less on a decibel scale.
    r = parseMeasurement("Freq(Hz) SPL(Pa) Phase(deg)\n100 0 0\n", frd, 0.02);
    EXPECT_EQ(r.status, ParseStatus::BadNumber);
}

TEST(MeasurementImport, FrdBadValueNamesTheLineAndTheLayout) {
    const ParseResult r = parseMeasurement("* x\n100 93 0\n200 93,5,1 0\n", *importFormat(kFrdFormat), 0.02);
    ASSERT_EQ(r.status, ParseStatus::BadNumber);
    EXPECT_EQ(r.badLine, 2);
    EXPECT_EQ(badNumberMessage("m.frd", r, *importFormat(kFrdFormat)),
              "m.frd, line 3: \"93,5,1\" is not a valid number. FRD expects: " +
                  importLayout(*importFormat(kFrdFormat)) + ".");
    // A line of one value has no magnitude; a comma and a point in one value is no number.
    for (const char* text : {"100\n", "100 9.3,5\n", "100,93,0\n"})
        EXPECT_EQ(parseMeasurement(text, *importFormat(kFrdFormat), 0.02).status, ParseStatus::BadNumber) << text;
}

TEST(MeasurementImport, FrdTakesDecimalCommasAndFallingSweeps) {
    const ImportFormat& frd = *importFormat(kFrdFormat);
    // A sweep from high to low, with decimal commas as a European locale exports it.
    const ParseResult r = parseMeasurement("20000,000\t80,500\t-39,000\n1000 90,25 10\n20,000 80,000 -39,000\n",
                                           frd, 0.02);
    ASSERT_EQ(r.status, ParseStatus::Ok);
    EXPECT_EQ(r.curve.frequency, (std::vector<float>{20, 1000, 20000}));
    EXPECT_EQ(r.curve.magnitude, (std::vector<float>{80.0f, 90.25f, 80.5f}));
    EXPECT_EQ(r.curve.phase, (std::vector<float>{-39, 10, -39}));

    ImportCurve out;
    const auto g = grid();
    resampleMeasurement(r.curve, frd, g, 90.0, out);
    EXPECT_NEAR(out.magnitude[0], -10.0, 1e-4);  // 20 Hz, the first grid point
    EXPECT_NEAR(out.magnitude[firstAtOrAbove(g, 1000)], 0.25, 0.05);
    EXPECT_EQ(out.magnitude[firstAtOrAbove(g, 20000.5)], kOutsideMagnitude);
}

TEST(MeasurementImport, AFileWithoutPointsIsRefusedWithItsReason) {
    EXPECT_EQ(parseMeasurement("* only\n\"a\" \"comment\"\n\n", *importFormat(kFrdFormat), 0.02).status,
              ParseStatus::NoData);
    EXPECT_EQ(parseMeasurement("", *importFormat(kFrdFormat), 0.02).status, ParseStatus::NoData);

    Importer t;
    t.data.ImportDataType = kFrdFormat;
    t.data.path[0] = t.dir.write("comments.frd", "* exported with no data\n");
    t.data.path[1] = t.dir.write("m.frd", "100 93 0\n1000 93 0\n");
    const auto outcome = t.run();
    EXPECT_EQ(outcome[0], ImportOutcome::NoData);
    EXPECT_EQ(outcome[1], ImportOutcome::Imported);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, t.data.path[0] + " holds no measured point. FRD expects: " +
                                         importLayout(*importFormat(kFrdFormat)) + ".");
    for (float m : t.data.curves[0].magnitude) ASSERT_EQ(m, 0.0f);
}

TEST(MeasurementImport, RepeatedFrequencyGivesFiniteValues) {
    Importer t;
    std::string s = "    Freq\t      dB\t   Phase\n";
    for (double f : {20.0, 1000.0, 1000.0, 1000.0, 24000.0}) s += fmt("%8.2f %8.2f %8.2f\n", f, f / 100, 0.0);
    t.data.path[0] = t.dir.write("dup.txt", s);
    t.run();
    for (float m : t.data.curves[0].magnitude) ASSERT_TRUE(std::isfinite(m));
}

TEST(MeasurementImport, MissingFileFallsBackBesideThePresetElseKeepsItsNameQuietly) {
    Importer t;
    t.dir.write("beside.txt", clioFile());
    t.data.path[0] = "C:\\Measurements\\beside.txt";
    t.data.path[1] = "/nowhere/gone.txt";
    t.options.presetFolder = t.dir.path().string();
    const auto outcome = t.run();
    EXPECT_EQ(outcome[0], ImportOutcome::Imported);
    EXPECT_EQ(t.data.path[0], "C:\\Measurements\\beside.txt");
    EXPECT_EQ(outcome[1], ImportOutcome::Missing);
    EXPECT_EQ(t.data.path[1], "/nowhere/gone.txt");
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(MeasurementImport, FormatWithoutLayoutAndEmptyPathLeaveZeros) {
    Importer t;
    t.data.curves[0].magnitude.fill(7.0f);
    t.data.curves[1].magnitude.fill(7.0f);
    t.data.ImportDataType = 5;
    t.data.path[0] = t.dir.write("m.txt", clioFile());
    const auto outcome = t.run();
    EXPECT_EQ(outcome[0], ImportOutcome::NoFormat);
    EXPECT_EQ(outcome[1], ImportOutcome::NoFile);
    EXPECT_EQ(t.data.curves[0].magnitude[5], 0.0f);
    EXPECT_EQ(t.data.curves[1].magnitude[5], 0.0f);
}

// A decimal comma for the C++ streams, whatever C locales the machine has.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(MeasurementImport, DecimalCommaLocaleStillReadsPoint) {
    // The file is made first: under the comma locale its own numbers would hold commas.
    Importer t;
    t.data.path[0] = t.dir.write("m.txt", clioFile());
    const std::locale savedCpp = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string savedC = previous ? previous : "C";
    // The C library's comma where the machine has a German locale; the C++ one always.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "de_DE.utf8");
    t.run();
    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedCpp);
    EXPECT_NEAR(t.data.curves[0].magnitude[firstAtOrAbove(t.g, 100)], 3.0, 1e-4);
}

}  // namespace
}  // namespace vela
