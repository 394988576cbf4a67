// The fit on synthetic drivers: a planted correction is found again, a gap between the drivers
// is named instead of filled, the kept parts stay, and a stop ends the fit with nothing to apply.
#include "preset/new_preset.h"
#include "preset/program_image.h"
#include "support/scripted_ui.h"
#include "tune/drivers.h"
#include "tune/fitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace vela {
namespace {

using namespace test;

std::unique_ptr<PresetParameters> newPreset() {
    auto p = std::make_unique<PresetParameters>();
    ScriptedUi ui;
    SessionState state;
    PresetContext c{*p, state, ui, kSampleRate, nullptr};
    ResetPreset(c);
    return p;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

// A house curve pulls the crossover down where the tweeter has little left; the fit keeps the
// dome's high-pass an octave above where the dome itself is 6 dB down (about 700 Hz here).
TEST(CabinetFit, KeepsTheTweetersHighPassClearOfItsResonance) {
    const auto p = newPreset();
    const std::array<DriverResponse, 2> drivers{
        driverOf([](double f) {
            return highPass2(f, 78, 0.8) * (1.0 + jf(f, 480)) / (1.0 + jf(f, 960)) * 0.5 *
                   (1.0 - 0.12 * std::exp(cd(0, -2 * std::numbers::pi * f * 0.00035))) * lowPass2(f, 4000, 0.6);
        }),
        driverOf([](double f) { return highPass2(f, 780, 1.1) * jf(f, 420) / (jf(f, 420) + 1.0) * 1.25; })};
    tune::FitOptions o;
    o.target = tune::Target::points({{100, 2}, {1000, 0}, {20000, -3}});
    const tune::FitResult r = tune::fitCabinet(*p, drivers, o);
    EXPECT_FALSE(r.outputs[1].lowPass);
    EXPECT_GE(r.outputs[1].edge.hz, 1000) << r.outputs[0].edge.hz;
    EXPECT_LE(r.after.rmsDb, 0.25);
}

// A woofer's breakup far above its low-pass is no place for a band: there the woofer's output
// only nudges the tweeter's, and a lift would drive the cone where it rings.
TEST(CabinetFit, PlacesNoBandWhereItsOutputIsFarBelowTheOther) {
    const auto p = newPreset();
    const std::array<DriverResponse, 2> drivers{
        driverOf([](double f) {
            return highPass2(f, 70, 0.8) * lowPass2(f, 2500, 0.7) * peaking(f, 7000, 5.0, 12.0) *
                   peaking(f, 9500, 6.0, -8.0);
        }),
        driverOf([](double f) { return highPass2(f, 1200, 0.8) * peaking(f, 6500, 4.0, -2.0) * 1.4; })};
    const tune::FitResult r = tune::fitCabinet(*p, drivers, {});
    PresetParameters tuned = *p;
    tune::applyEdits(tuned, r.edits);
    for (std::size_t k = 0; k < 2; ++k)
        for (const tune::BandChoice& b : r.outputs[k].bands) {
            const std::vector<double> hz{static_cast<double>(b.hz)};
            const double mine = std::abs(measuredOutput(tuned, static_cast<int>(k), drivers[k], hz, kSampleRate)[0]);
            const double other =
                std::abs(measuredOutput(tuned, static_cast<int>(1 - k), drivers[1 - k], hz, kSampleRate)[0]);
            EXPECT_GT(20 * std::log10(mine / other), -26.0) << "output " << k + 1 << " band at " << b.hz << " Hz";
        }
}

// Measurements without phase: each output is equalised toward the target through the crossover
// it has, which stays, as do the delays and polarities.
TEST(CabinetFit, MagnitudeOnlyEqualisesEachOutputThroughItsOwnCrossover) {
    const auto p = newPreset();
    tune::applyEdits(*p, {{"xover.1.lp.alignment", "L-Riley"}, {"xover.1.lp.order", "4"},
                          {"xover.1.lp.freq", "2000"}, {"xover.2.hp.alignment", "L-Riley"},
                          {"xover.2.hp.order", "4"}, {"xover.2.hp.freq", "2000"}});
    std::array<DriverResponse, 2> drivers{driverOf(plantedWoofer), driverOf(plantedTweeter)};
    for (auto& d : drivers) {
        d.hasPhase = false;
        std::fill(d.radians.begin(), d.radians.end(), 0.0);
    }
    EXPECT_TRUE(tune::refusal(drivers, {}).has_value());
    tune::FitOptions o;
    o.magnitudeOnly = true;
    EXPECT_FALSE(tune::refusal(drivers, o).has_value());
    const tune::FitResult r = tune::fitCabinet(*p, drivers, o);
    EXPECT_GT(r.before.rmsDb, 1.0);
    EXPECT_LE(r.after.rmsDb, 0.25);
    EXPECT_LE(r.after.maxDb, 0.75);
    for (const tune::Edit& e : r.edits) {
        EXPECT_FALSE(startsWith(e.key, "xover.")) << e.key;
        EXPECT_FALSE(startsWith(e.key, "delay.")) << e.key;
        EXPECT_EQ(e.key.find("polarity"), std::string::npos) << e.key;
    }
    // The crossover's own slopes are no fault to equalise: no band lifts near them.
    for (const tune::OutputChoice& out : r.outputs)
        for (const tune::BandChoice& b : out.bands)
            EXPECT_LE(b.gainDb, 4.5) << b.hz;
}

TEST(CabinetFit, TakesAPlantedCorrectionBackOut) {
    const auto p = newPreset();
    const std::array<DriverResponse, 2> drivers{driverOf(plantedWoofer), driverOf(plantedTweeter)};
    std::vector<int> percents;
    const tune::FitResult r = tune::fitCabinet(
        *p, drivers, {}, {}, [&](int percent, std::string_view) { percents.push_back(percent); });
    ASSERT_FALSE(r.stopped);
    EXPECT_GT(r.before.rmsDb, 0.5);
    EXPECT_LE(r.after.rmsDb, 0.25);
    EXPECT_LE(r.after.maxDb, 0.75);
    EXPECT_TRUE(r.unreachable.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    // Each value lies on its control's step, and no band lifts more than 6 dB.
    for (const tune::OutputChoice& o : r.outputs) {
        EXPECT_LE(o.bands.size(), 8u);
        for (const tune::BandChoice& b : o.bands) {
            EXPECT_LE(b.gainDb, 6.0);
            EXPECT_DOUBLE_EQ(b.gainDb * 10, std::round(b.gainDb * 10));
        }
    }
    // The edits, applied as preset set applies them, give the image the fit evaluated.
    PresetParameters tuned = *p;
    tune::applyEdits(tuned, r.edits);
    ProgramImage image{};
    generateProgramImage(tuned, kSampleRate, image);
    EXPECT_EQ(image, r.image);
    EXPECT_NEAR(tune::figuresOf(tuned, drivers, {}).rmsDb, r.after.rmsDb, 1e-9);
}

TEST(CabinetFit, NamesAGapBetweenTheDriversInsteadOfFillingIt) {
    const auto p = newPreset();
    const auto woofer = [](double f) { return lowPass2(f, 900, 0.7) * lowPass2(f, 900, 0.7); };
    const auto tweeter = [](double f) { return highPass2(f, 7000, 0.7) * highPass2(f, 7000, 0.7); };
    const tune::FitResult r = tune::fitCabinet(*p, {driverOf(woofer), driverOf(tweeter)}, {});
    ASSERT_FALSE(r.unreachable.empty());
    bool covered = false;
    for (const tune::FrequencyRange& g : r.unreachable)
        covered = covered || (g.low <= 2500 && g.high >= 2500);
    EXPECT_TRUE(covered);
    // No band, nor all of an output's bands together, lifts more than 6 dB.
    PresetParameters tuned = *p;
    tune::applyEdits(tuned, r.edits);
    std::vector<double> hz;
    for (double f = 20; f < 20000; f *= std::exp2(1.0 / 96))
        hz.push_back(f);
    for (int out = 0; out < 2; ++out)
        for (const auto& h : outputTransfer(tuned, out, hz, kSampleRate).equaliser)
            ASSERT_LE(levelDb(h), 6.05) << "output " << out + 1;
}

TEST(CabinetFit, KeptPartsStayAsTheyAre) {
    const auto p = newPreset();
    const std::array<DriverResponse, 2> drivers{driverOf(plantedWoofer), driverOf(plantedTweeter)};
    tune::FitOptions o;
    o.keepEqualiser = true;
    o.keepAlignment = true;
    const tune::FitResult r = tune::fitCabinet(*p, drivers, o);
    for (const tune::Edit& e : r.edits) {
        EXPECT_FALSE(startsWith(e.key, "eq.")) << e.key;
        EXPECT_FALSE(startsWith(e.key, "delay.")) << e.key;
        EXPECT_EQ(e.key.find("polarity"), std::string::npos) << e.key;
    }
    o = {};
    o.keepCrossover = true;
    for (const tune::Edit& e : tune::fitCabinet(*p, drivers, o).edits)
        EXPECT_FALSE(startsWith(e.key, "xover.")) << e.key;
}

TEST(CabinetFit, AStoppedFitHasNothingToApply) {
    const auto p = newPreset();
    std::stop_source stop;
    stop.request_stop();
    const tune::FitResult r =
        tune::fitCabinet(*p, {driverOf(plantedWoofer), driverOf(plantedTweeter)}, {}, stop.get_token());
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(r.edits.empty());

    // Stopped half-way, while it places equaliser bands.
    std::stop_source later;
    const tune::FitResult half = tune::fitCabinet(*p, {driverOf(plantedWoofer), driverOf(plantedTweeter)}, {},
                                                  later.get_token(), [&](int percent, std::string_view) {
                                                      if (percent >= 50) later.request_stop();
                                                  });
    EXPECT_TRUE(half.stopped);
    EXPECT_TRUE(half.edits.empty());
}

TEST(CabinetFit, RefusesWhatItCannotWorkWith) {
    const DriverResponse good = driverOf(plantedWoofer);
    DriverResponse noPhase = good;
    noPhase.hasPhase = false;
    EXPECT_EQ(tune::refusal({good, noPhase}, {}),
              "the measurement of output 2 has no phase, and without phase the outputs cannot be summed");
    tune::FitOptions wide;
    wide.high = 30000;
    EXPECT_NE(tune::refusal({good, good}, wide).value_or("").find("not the range 150-30000 Hz"),
              std::string::npos);
    EXPECT_EQ(tune::refusal({good, good}, {}), std::nullopt);
}

TEST(FitTarget, ReadsSlopesAndFiles) {
    EXPECT_DOUBLE_EQ(tune::Target::slope(-1.0).at(4000), -2.0);
    std::string error;
    const auto t = tune::parseTarget("Freq dB\n\n100 3\n1000, 0\n10000\t-3\n", error);
    ASSERT_TRUE(t) << error;
    EXPECT_DOUBLE_EQ(t->at(50), 3.0);
    EXPECT_NEAR(t->at(std::sqrt(1000.0 * 10000.0)), -1.5, 1e-12);
    EXPECT_FALSE(tune::parseTarget("100 3\n", error));
    EXPECT_EQ(error, "it holds one point; a target needs two or more");
    EXPECT_FALSE(tune::parseTarget("100 3\n50 2\n", error));
    EXPECT_EQ(error, "line 2: the frequencies must rise");
}

} // namespace
} // namespace vela
