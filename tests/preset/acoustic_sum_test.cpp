// The summed response of both outputs with their measured drivers, against the same sum
// written out here by hand: the crossover and band sections from their designed coefficients,
// the drivers as analogue second-order filters with a delay.
#include "preset/acoustic_sum.h"
#include "preset/crossover_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/output_procedures.h"
#include "preset/preset_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace vela {
namespace {

using cd = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// Analogue second-order high- or low-pass at f0 with quality q, then a delay in seconds.
cd driver(double f, double f0, double q, bool highPass, double delay, double db) {
    const cd s(0.0, f / f0);
    const cd h = (highPass ? s * s : cd(1.0)) / (s * s + s / q + 1.0);
    return h * std::pow(10.0, db / 20.0) * std::exp(cd(0.0, -2.0 * kPi * f * delay));
}

// The measurement a program would export of that driver: 1/48-octave points, phase in degrees
// wrapped to one turn.
MeasuredCurve measurement(double f0, double q, bool highPass, double delay, double db) {
    MeasuredCurve m;
    for (double f = 10.0; f < 24000.0; f *= std::exp2(1.0 / 48)) {
        const cd h = driver(f, f0, q, highPass, delay, db);
        m.frequency.push_back(static_cast<float>(f));
        m.magnitude.push_back(static_cast<float>(20.0 * std::log10(std::abs(h))));
        m.phase.push_back(static_cast<float>(std::arg(h) * 180.0 / kPi));
    }
    return m;
}

cd section(const dsp::TSOS& s, double f) {
    const cd z = std::exp(cd(0.0, -2.0 * kPi * f / kSampleRate));
    return (s.B0 + s.B1 * z + s.B2 * z * z) / (1.0 - s.A1 * z - s.A2 * z * z);
}

cd outputByHand(const PresetParameters& p, int out, double f) {
    cd h = 1.0;
    for (int b = 1; b <= kBandsPerOutput; ++b)
        h *= section(p.band(out, b), f);
    const dsp::TXOVER& x = p.Crossovers[static_cast<std::size_t>(out)];
    for (int k = 0; k < x.LowPass.SectionCount; ++k)
        h *= section(x.LowPass.Sections[static_cast<std::size_t>(k)], f);
    for (int k = 0; k < x.HighPass.SectionCount; ++k)
        h *= section(x.HighPass.Sections[static_cast<std::size_t>(k)], f);
    const auto n = static_cast<std::size_t>(out);
    const double delay = p.OutputDelay[n] / static_cast<double>(kSampleRate);
    return h * p.OutputGain[n] * std::exp(cd(0.0, -2.0 * kPi * f * delay));
}

TEST(AcousticSum, MatchesTheSumWrittenOutByHand) {
    test::PresetFixture fx;
    PresetContext& c = fx.ctx;
    CrossoverSetAlignmentIndex(c, 0, CrossoverEdge::LowPass, 2); // Linkwitz-Riley
    CrossoverSetOrder(c, 0, CrossoverEdge::LowPass, 4);
    CrossoverSetFrequency(c, 0, CrossoverEdge::LowPass, 2200);
    CrossoverSetAlignmentIndex(c, 1, CrossoverEdge::HighPass, 1); // Butterworth
    CrossoverSetOrder(c, 1, CrossoverEdge::HighPass, 2);
    CrossoverSetFrequency(c, 1, CrossoverEdge::HighPass, 1800);
    EqualiserSetType(c, 0, 3, 1); // Parametric Q adap
    EqualiserSetFrequency(c, 0, 3, 450);
    EqualiserSetGain(c, 0, 3, 4.5);
    EqualiserSetQ(c, 0, 3, 2.5);
    OutputSetLevelDb(c, 1, -3.7);
    OutputSetPolarity(c, 1, true);
    DelaySetSamples(c, 1, 9);

    // As measured near the drivers, and at 1 m with the time of flight left in the export, whose
    // phase turns by more than half a turn between points at the top.
    for (const double flight : {0.0, 0.0029}) {
        const DriverResponse woofer =
            driverResponse(measurement(70.0, 0.8, true, flight + 0.00021, 2.0), true, true);
        const MeasuredCurve tweeterCurve = measurement(1100.0, 0.9, true, flight + 0.00005, 5.0);
        const DriverResponse tweeter = driverResponse(tweeterCurve, true, true);

        // Between the measured points as well as on them.
        std::vector<double> hz;
        for (double f = 40.0; f < 18000.0; f *= std::exp2(1.0 / 97))
            hz.push_back(f);
        for (std::size_t i = 100; i < tweeterCurve.frequency.size(); i += 37)
            hz.push_back(tweeterCurve.frequency[i]);
        const Response sum = acousticSum(fx.p(), {&woofer, &tweeter}, hz, kSampleRate);
        ASSERT_EQ(sum.size(), hz.size());
        for (std::size_t i = 0; i < hz.size(); ++i) {
            const double f = hz[i];
            const cd expected =
                outputByHand(fx.p(), 0, f) * driver(f, 70.0, 0.8, true, flight + 0.00021, 2.0) +
                outputByHand(fx.p(), 1, f) * driver(f, 1100.0, 0.9, true, flight + 0.00005, 5.0);
            EXPECT_NEAR(20.0 * std::log10(std::abs(sum[i])), 20.0 * std::log10(std::abs(expected)), 0.05)
                << f << " Hz, flight " << flight;
            EXPECT_NEAR(std::remainder(std::arg(sum[i] / expected), 2.0 * kPi) * 180.0 / kPi, 0.0, 1.0)
                << f << " Hz, flight " << flight;
        }
    }
}

TEST(AcousticSum, AMeasurementWithoutPhaseCannotBeSummed) {
    test::PresetFixture fx;
    const DriverResponse withPhase = driverResponse(measurement(70.0, 0.8, true, 0.0, 0.0), true, true);
    const DriverResponse without = driverResponse(measurement(1100.0, 0.9, true, 0.0, 0.0), true, false);
    const std::vector<double> hz{1000.0};
    try {
        acousticSum(fx.p(), {&withPhase, &without}, hz, kSampleRate);
        FAIL() << "summed without phase";
    } catch (const NoPhaseError& e) {
        EXPECT_STREQ(
            e.what(),
            "the measurement of output 2 has no phase, and without phase the outputs cannot be summed");
    }
}

// The image carries 28-bit words; the transfer function is computed from what they hold.
TEST(OutputResponse, UsesTheCoefficientsAsTheImageCarriesThem) {
    EXPECT_EQ(imageCoefficient(1.0), 1.0);
    EXPECT_EQ(imageCoefficient(-1.0), -1.0);
    EXPECT_EQ(imageCoefficient(0.1), std::trunc(0.1 * 8388608.0) / 8388608.0);
    EXPECT_EQ(imageCoefficient(-0.1), -std::trunc(0.1 * 8388608.0) / 8388608.0);
    dsp::TSOS s;
    s.B0 = 0.1;
    const std::vector<double> hz{1000.0};
    EXPECT_EQ(sectionResponse(s, hz, kSampleRate)[0], cd(imageCoefficient(0.1)));
}

} // namespace
} // namespace vela
