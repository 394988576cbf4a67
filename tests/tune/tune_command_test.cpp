// preset tune as a user runs it: measurements exported as FRD files, the tuned preset saved,
// and the inputs it cannot use refused with their reason and nothing written.
#include "preset/new_preset.h"
#include "preset/preset_file.h"
#include "preset/temp_dir.h"
#include "support/run_cli.h"
#include "support/scripted_ui.h"
#include "tune/drivers.h"
#include "tune/fitter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vela {
namespace {

using namespace test;
namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::uint8_t> bytesOf(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(f), {}};
    return {bytes.begin(), bytes.end()};
}

struct TuneFiles {
    TempDir dir;
    std::string preset = dir.file("P.hdp"), woofer = dir.write("woofer.frd", frdText(plantedWoofer)),
                tweeter = dir.write("tweeter.frd", frdText(plantedTweeter)), out = dir.file("T.hdp");

    TuneFiles() { EXPECT_EQ(runCli({"preset", "new", "--out", preset}).code, 0); }
    CliOutcome tune(std::vector<std::string> more = {}) const {
        std::vector<std::string> words{"preset",     "tune",         preset,  "--measured", "1=" + woofer,
                                       "--measured", "2=" + tweeter, "--out", out};
        words.insert(words.end(), more.begin(), more.end());
        return runCli(words);
    }
};

TEST(PresetTune, SavesThePresetWhoseImageTheFitEvaluated) {
    TuneFiles t;
    const CliOutcome r = t.tune();
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_TRUE(has(r.out, "Output 1: low-pass ")) << r.out;
    EXPECT_TRUE(has(r.out, "Output 2: high-pass ")) << r.out;
    EXPECT_TRUE(has(r.out, "  after:  RMS 0.")) << r.out;

    // The same fit in this process, on the preset file and the measurements as read.
    PresetParameters p;
    ScriptedUi ui;
    SessionState state;
    PresetContext c{p, state, ui, kSampleRate, nullptr};
    ResetPreset(c);
    ASSERT_EQ(OpenPreset(c, t.preset), OpenResult::Opened);
    std::array<DriverResponse, 2> drivers;
    for (std::size_t k = 0; k < 2; ++k) {
        std::ifstream f(k == 0 ? t.woofer : t.tweeter);
        const std::string text{std::istreambuf_iterator<char>(f), {}};
        const ParseResult parsed = parseMeasurement(text, *importFormat(kFrdFormat), kDefaultSensitivity);
        ASSERT_EQ(parsed.status, ParseStatus::Ok);
        drivers[k] = driverResponse(parsed.curve, true, parsed.phaseGiven);
    }
    const tune::FitResult fit = tune::fitCabinet(p, drivers, {});
    const std::string image = t.dir.file("T.bin");
    ASSERT_EQ(runCli({"preset", "image", t.out, "--out", image}).code, 0);
    const std::vector<std::uint8_t> saved = bytesOf(image);
    ASSERT_EQ(saved.size(), 3570u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), fit.image.begin()));

    // The measurements are named in the saved preset, as the designer names them.
    const CliOutcome shown = runCli({"preset", "show", t.out, "--keys"});
    EXPECT_TRUE(has(shown.out, "import.1=" + t.woofer)) << shown.out;
    EXPECT_TRUE(has(shown.out, "import.type=11")) << shown.out;

    // Tuned already, with every part held, there is nothing to gain: exit 1, nothing saved.
    const std::string again = t.dir.file("again.hdp");
    const CliOutcome held =
        runCli({"preset", "tune", t.out, "--measured", "1=" + t.woofer, "--measured", "2=" + t.tweeter,
                "--keep", "crossover", "--keep", "eq", "--keep", "alignment", "--out", again});
    EXPECT_EQ(held.code, 1) << held.out << held.err;
    EXPECT_TRUE(has(held.out, "The fit could not improve on the preset")) << held.out;
    EXPECT_FALSE(fs::exists(again));
}

TEST(PresetTune, RefusesWhatItCannotUseAndWritesNothing) {
    TuneFiles t;
    const std::string noPhase = t.dir.write("nophase.frd", "100 90\n1000 91\n20000 89\n");
    const std::string mixed = t.dir.write("mixed.frd", "10 90 0\n1000 91 0\n500 91 0\n23000 89 0\n");
    const std::string onePoint = t.dir.write("target.txt", "Freq dB\n1000 0\n");
    struct Case {
        std::vector<std::string> words;
        std::string reason;
    };
    const std::vector<Case> cases{
        {{"preset", "tune", t.preset, "--measured", "1=" + t.woofer, "--measured", "2=" + noPhase, "--out",
          t.out},
         "the measurement of output 2 has no phase, and without phase the outputs cannot be summed"},
        {{"preset", "tune", t.preset, "--measured", "1=" + mixed, "--measured", "2=" + t.tweeter, "--out",
          t.out},
         mixed + ": its frequencies fall and rise again"},
        {{"preset", "tune", t.preset, "--measured", "1=" + t.woofer, "--measured", "2=" + t.tweeter,
          "--range", "5-15000", "--out", t.out},
         "not the range 5-15000 Hz"},
        {{"preset", "tune", t.preset, "--measured", "1=" + t.woofer, "--measured", "2=" + t.tweeter,
          "--target", onePoint, "--out", t.out},
         "it holds one point; a target needs two or more"},
    };
    for (const Case& c : cases) {
        const CliOutcome r = runCli(c.words);
        EXPECT_EQ(r.code, 3) << c.reason << r.err;
        EXPECT_TRUE(has(r.err, c.reason)) << r.err;
        EXPECT_TRUE(has(r.err, "nothing written")) << r.err;
        EXPECT_FALSE(fs::exists(t.out)) << c.reason;
    }
}

// The preset file keeps 100 characters of a path: a measurement beside the saved preset is
// named by its file name alone, which opening the preset finds there.
TEST(PresetTune, ALongPathBesideTheSavedPresetIsKeptByItsName) {
    TuneFiles t;
    const std::string name = std::string(90, 'w') + ".frd";
    const std::string woofer = t.dir.write(name, frdText(plantedWoofer));
    const CliOutcome r = runCli({"preset", "tune", t.preset, "--measured", "1=" + woofer, "--measured",
                                 "2=" + t.tweeter, "--out", t.out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(has(r.err, "not named")) << r.err;
    const CliOutcome shown = runCli({"preset", "show", t.out, "--keys"});
    EXPECT_TRUE(has(shown.out, "import.1=" + name + "\n")) << shown.out;
    EXPECT_TRUE(has(shown.out, "import.2=" + t.tweeter)) << shown.out;
}

TEST(PresetTune, MeasurementsWithoutPhaseTakeAMagnitudeOnlyFit) {
    TuneFiles t;
    const std::string noPhase = t.dir.write("nophase.frd", "* Freq(Hz) SPL(dB)\n100 90\n1000 91\n20000 89\n");
    const std::vector<std::string> words{"preset", "tune", t.preset, "--measured", "1=" + noPhase,
                                         "--measured", "2=" + t.tweeter, "--out", t.out};
    const CliOutcome refused = runCli(words);
    EXPECT_EQ(refused.code, 3);
    EXPECT_TRUE(has(refused.err, "(--magnitude-only equalises each output alone)")) << refused.err;
    EXPECT_FALSE(fs::exists(t.out));

    std::vector<std::string> magnitude = words;
    magnitude.push_back("--magnitude-only");
    const CliOutcome r = runCli(magnitude);
    EXPECT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_TRUE(has(r.out, "Magnitude only, the sum not judged")) << r.out;
    EXPECT_TRUE(fs::exists(t.out));
}

} // namespace
} // namespace vela
