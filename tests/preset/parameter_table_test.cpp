// The parameter table: every key reads back what it set, and the names users' scripts pass to
// preset set store the values expected.
#include "preset/parameter_table.h"
#include "dsp/number_text.h"
#include "preset/preset_file.h"
#include "preset_fixture.h"
#include "support/run_cli.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace vela {
namespace {

// Every parameter's text, which is what a saved file and preset show are made of.
std::vector<std::string> allTexts(const PresetParameters& p) {
    std::vector<std::string> texts;
    for (const Parameter& parameter : parameterTable()) texts.push_back(parameter.text(p, kSampleRate));
    return texts;
}

// A value away from New's defaults, inside the parameter's range.
std::string probe(const Parameter& p) {
    switch (p.kind) {
    case ParameterKind::Number: return dsp::plainText(p.minimum + 3 * p.step);
    case ParameterKind::Switch: return "1";
    case ParameterKind::Choice: return p.choices.back();
    case ParameterKind::Text: return p.key.starts_with("import.") ? "" : "Stage left";
    }
    return {};
}

TEST(ParameterTable, KeysAndNamesAreUniqueAndNamesSayWhatTheyAre) {
    std::set<std::string> keys, names;
    for (const Parameter& p : parameterTable()) {
        EXPECT_TRUE(keys.insert(p.key).second) << p.key;
        EXPECT_TRUE(names.insert(p.accessibleName).second) << p.accessibleName;
        if (p.kind == ParameterKind::Number) {
            EXPECT_LT(p.minimum, p.maximum) << p.key;
        }
        EXPECT_EQ(findParameter(p.key), &p);
    }
    for (const char* name : {"Output 1 band 3 frequency", "Output 1 band 3 gain", "Output 1 band 3 Q",
                             "Output 1 band 3 type", "Output 2 high-pass frequency", "Output 2 low-pass alignment",
                             "Output 1 gain", "Output 1 mute", "Output 1 polarity", "Output 1 delay",
                             "Output 1 RMS threshold", "Output 2 sub-reinforcement"})
        EXPECT_TRUE(names.contains(name)) << name;
}

TEST(ParameterTable, EveryKeyReadsBackWhatItSet) {
    test::PresetFixture f;
    for (const Parameter& p : parameterTable()) {
        SCOPED_TRACE(p.key);
        p.set(f.ctx, probe(p));
        if (p.kind == ParameterKind::Number) {
            EXPECT_GE(p.number(f.p(), kSampleRate), p.minimum);
            EXPECT_LE(p.number(f.p(), kSampleRate), p.maximum);
        }
        const std::vector<std::string> before = allTexts(f.p());
        p.set(f.ctx, p.text(f.p(), kSampleRate));
        EXPECT_EQ(allTexts(f.p()), before);
    }
    EXPECT_EQ(f.ui.messages.size(), 0u);
}

// The part of the table an edit may touch besides its own value: the rest of its band or
// crossover edge (a design may set the gain, Linkwitz-Riley the order), of its dynamics object
// or its output.
std::string groupOf(const std::string& key) {
    const int parts = key.starts_with("eq.") || key.starts_with("xover.") ? 3
                      : key.starts_with("rms.") || key.starts_with("peak.") || key.starts_with("out.") ? 2
                                                                                                         : 99;
    std::size_t end = 0;
    for (int i = 0; i < parts && end != std::string::npos; ++i) end = key.find('.', end + (i > 0));
    return key.substr(0, end);
}

TEST(ParameterTable, AnEditLeavesEveryOtherBandEdgeObjectAndOutputAlone) {
    test::PresetFixture f;
    const std::vector<Parameter>& table = parameterTable();
    for (const Parameter& p : table) {
        if (p.key.starts_with("import.")) continue;
        SCOPED_TRACE(p.key);
        const std::vector<std::string> before = allTexts(f.p());
        p.set(f.ctx, probe(p));
        const std::vector<std::string> after = allTexts(f.p());
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (groupOf(table[i].key) != groupOf(p.key)) {
                EXPECT_EQ(after[i], before[i]) << table[i].key;
            }
        }
    }
}

// What an edit notes, preset set prints as it printed the message boxes before: the system's
// own texts as they are, warnings marked, and the edit still succeeds.
TEST(ParameterTable, PresetSetPrintsTheNoticesOfItsEdits) {
    test::TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(test::runCli({"preset", "new", "--out", file}).code, 0);
    const test::CliOutcome bessel = test::runCli(
        {"preset", "set", file, "xover.1.lp.alignment=Bessel", "xover.1.lp.order=4", "xover.1.lp.freq=15000"});
    EXPECT_EQ(bessel.code, 0);
    EXPECT_EQ(bessel.err, "Maximum Bessel Cutoff = 14900 for LowPass of order 4\n");
    const test::CliOutcome power =
        test::runCli({"preset", "set", file, "rms.2.boxpower=2000", "rms.2.threshold=-3", "peak.2.threshold=-3"});
    EXPECT_EQ(power.code, 0);
    EXPECT_EQ(power.err, "warning: RMS dynamics 2: WARNING!!! The Out Power exceeds your Box Power capacity! (3546.8 W)\n");
}

TEST(ParameterTable, OtherSpellingsFindTheSameParameter) {
    EXPECT_EQ(findParameter("XOVER.1.low.FREQ"), findParameter("xover.1.hp.freq"));
    EXPECT_EQ(findParameter("xover.2.high.section.01.q"), findParameter("xover.2.lp.section.1.q"));
    EXPECT_EQ(findParameter("eq.02.8.gain"), findParameter("eq.2.8.gain"));
    EXPECT_EQ(findParameter("eq.3.1.gain"), nullptr);
    EXPECT_EQ(findParameter("rms.1.low"), nullptr);
    EXPECT_EQ(findParameter("eq.1"), nullptr);
    EXPECT_EQ(findParameter(""), nullptr);
}

TEST(ParameterTable, OutOfRangeAndRefusedValues) {
    test::PresetFixture f;
    findParameter("delay.1")->set(f.ctx, "5000");
    EXPECT_EQ(f.p().OutputDelay[0], 139);
    findParameter("out.1.loudness")->set(f.ctx, "40");
    EXPECT_DOUBLE_EQ(f.p().Loudness[0].Gain, 12.0);
    EXPECT_THROW(findParameter("xover.1.hp.freq")->set(f.ctx, "2e6"), std::invalid_argument);
    EXPECT_THROW(findParameter("eq.1.1.gain")->set(f.ctx, "nan"), std::invalid_argument);
    EXPECT_THROW(findParameter("out.1.mute")->set(f.ctx, "maybe"), std::invalid_argument);
    EXPECT_THROW(findParameter("xover.1.hp.alignment")->set(f.ctx, "Butterworth low-pass"), std::invalid_argument);
    EXPECT_THROW(findParameter("import.type")->set(f.ctx, "12"), std::invalid_argument);
}

// The names and values users' scripts pass to preset set, spellings and out-of-range values
// included: each is accepted, and the saved file reads back the stored value written here.
TEST(ParameterTable, PresetSetNamesStoreTheValuesExpected) {
    test::TempDir dir;
    const std::string base = dir.file("base.hdp");
    const std::string out = dir.file("out.hdp");
    ASSERT_EQ(test::runCli({"preset", "new", "--out", base}).code, 0);
    struct Edit {
        std::string name, value, key, stored;
    };
    const std::vector<Edit> edits = {
        {"name", "Main left", "name", "Main left"},
        {"project", "Hall", "project", "Hall"},
        {"engineer", "Kim", "engineer", "Kim"},
        {"comments", "first try", "comments", "first try"},
        {"temperature", "80", "temperature", "50"},  // 0..50 °C
        {"temperature", "12", "temperature", "12"},
        {"delay.1", "24", "delay.1", "24"},
        {"delay.2", "5000", "delay.2", "139"},  // -1..139 samples
        {"delay.input", "-7", "delay.input", "-1"},
        {"delay.input", "300", "delay.input", "300"},
        {"out.1.gain", "-3.3", "out.1.gain", "-3.3"},
        {"out.2.gain", "99", "out.2.gain", "6.1"},  // -30..+6.1 dB
        {"out.1.mute", "yes", "out.1.mute", "1"},
        {"out.2.polarity", "on", "out.2.polarity", "1"},
        {"out.1.route", "B", "out.1.route", "B"},
        {"out.2.route", "a+b", "out.2.route", "A+B"},
        {"out.1.route", "1", "out.1.route", "B"},
        {"eq.1.3.gain", "6", "eq.1.3.gain", "6"},
        {"eq.1.3.type", "Parametric Q adap", "eq.1.3.type", "1"},  // the design's code
        {"eq.2.1.type", "shelvlow12db", "eq.2.1.type", "18"},
        {"eq.2.8.type", "17", "eq.2.8.type", "17"},
        {"eq.1.1.freq", "123.45", "eq.1.1.freq", "123.45"},
        {"eq.2.2.q", "3.3", "eq.2.2.q", "3.3"},
        {"eq.1.8.gain", "20", "eq.1.8.gain", "12"},  // -15..+12 dB
        // Alignment codes: ButtW 1 and 2, L-Riley 3 and 4, Bessel 5 and 6 (low-pass, high-pass
        // edge), custom 8 on the high-pass edge.
        {"xover.1.low.alignment", "L-Riley", "xover.1.hp.alignment", "4"},
        {"xover.1.hp.alignment", "4", "xover.1.hp.alignment", "4"},
        {"xover.2.high.alignment", "ButtW", "xover.2.lp.alignment", "1"},
        {"xover.2.lp.alignment", "Bessel low-pass", "xover.2.lp.alignment", "5"},
        {"xover.1.low.alignment", "Custom", "xover.1.hp.alignment", "8"},
        {"xover.1.low.order", "6", "xover.1.hp.order", "6"},
        {"xover.2.high.order", "3", "xover.2.lp.order", "3"},
        {"xover.1.low.freq", "80.4", "xover.1.hp.freq", "80"},  // whole Hz
        {"xover.1.high.freq", "30000", "xover.1.lp.freq", "22000"},
        {"xover.2.lp.off", "1", "xover.2.lp.off", "1"},
        {"xover.2.hp.off", "0", "xover.2.hp.off", "0"},
        // Not custom: the sections follow the edge's frequency and the design's Q.
        {"xover.1.low.section.2.freq", "200", "xover.1.hp.section.2.freq", "100"},
        {"xover.1.hp.section.3.q", "2.5", "xover.1.hp.section.3.q", "0.707"},
        {"rms.1.threshold", "-10.3", "rms.1.threshold", "-10.5"},  // 0.5 dB steps, ties to even
        {"rms.2.ratio", "4", "rms.2.ratio", "4"},
        {"rms.3.knee", "3", "rms.3.knee", "3"},
        {"rms.1.gain", "2", "rms.1.gain", "2"},
        {"rms.2.mode", "compressor", "rms.2.mode", "compressor"},
        {"rms.1.bypass", "1", "rms.1.bypass", "1"},
        {"rms.1.time", "50", "rms.1.time", "50"},
        {"rms.2.hold", "12.5", "rms.2.hold", "12.5"},
        {"rms.1.decay", "40", "rms.1.decay", "40.004"},  // 292 steps of 0.137 ms
        {"rms.2.gate", "40", "rms.2.gate", "33"},
        {"rms.1.ramp", "5", "rms.1.ramp", "5"},
        {"rms.1.impedance", "4", "rms.1.impedance", "4"},
        {"rms.2.boxpower", "800", "rms.2.boxpower", "800"},
        {"rms.1.amppower", "1200", "rms.1.amppower", "1200"},
        {"rms.1.ampgain", "32", "rms.1.ampgain", "32"},
        {"rms.2.bridge", "true", "rms.2.bridge", "1"},
        {"peak.1.threshold", "-3", "peak.1.threshold", "-3"},
        {"peak.2.knee", "1", "peak.2.knee", "1"},
        {"peak.1.gain", "-1", "peak.1.gain", "-1"},
        {"peak.2.bypass", "1", "peak.2.bypass", "1"},
        {"peak.1.hold", "3", "peak.1.hold", "3"},
        {"peak.3.decay", "100", "peak.3.decay", "100.01"},  // 730 steps
        {"peak.1.ratio", "2", "peak.1.ratio", "2"},
        {"peak.2.mode", "compressor", "peak.2.mode", "compressor"},
        // Preset files keep the gates of the RMS objects only: a peak gate reads back as New's.
        {"peak.1.gate", "3", "peak.1.gate", "0"},
        {"peak.2.ramp", "7", "peak.2.ramp", "4"},
        {"import.type", "11", "import.type", "11"},
        {"import.reference", "94", "import.reference", "94"},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name + "=" + e.value);
        const test::CliOutcome set = test::runCli({"preset", "set", base, e.name + "=" + e.value, "--out", out});
        ASSERT_EQ(set.code, 0) << set.err;
        // The file read back as preset show reads it.
        test::PresetFixture f;
        ASSERT_EQ(OpenPreset(f.ctx, out), OpenResult::Opened);
        const Parameter* p = findParameter(e.key);
        ASSERT_NE(p, nullptr) << e.key;
        const std::string value = p->text(f.p(), kSampleRate);
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        if (end != value.c_str() && *end == '\0' && e.stored.find_first_not_of("-.0123456789") == std::string::npos)
            EXPECT_NEAR(number, std::stod(e.stored), 1e-4) << e.key << "=" << value;
        else
            EXPECT_EQ(value, e.stored) << e.key;
    }
}

TEST(ParameterTable, ShowKeysPrintsWhatSetTakesAndTheHelpListsEveryName) {
    test::TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(test::runCli({"preset", "new", "--out", file}).code, 0);
    ASSERT_EQ(test::runCli({"preset", "set", file, "eq.1.3.gain=6", "xover.2.low.freq=80", "out.2.route=a+b"}).code, 0);
    const test::CliOutcome keys = test::runCli({"preset", "show", file, "--keys"});
    ASSERT_EQ(keys.code, 0) << keys.err;
    for (const char* line : {"\neq.1.3.gain=6\n", "\nxover.2.hp.freq=80\n", "\nout.2.route=A+B\n", "\nout.1.route=none\n"})
        EXPECT_NE(keys.out.find(line), std::string::npos) << line;
    EXPECT_EQ(static_cast<std::size_t>(std::count(keys.out.begin(), keys.out.end(), '\n')), parameterTable().size());

    const test::CliOutcome help = test::runCli({"preset", "--help"});
    for (const char* name : {"\n  eq.N.B.q=", "\n  xover.N.EDGE.section.K.freq=", "\n  out.N.loudness=", "\n  peak.N.ramp="})
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
}

}  // namespace
}  // namespace vela
