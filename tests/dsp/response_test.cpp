// The shared 401-point response grid and ComputeResponse.

#include "dsp/response.h"
#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace vela::dsp {
namespace {

using test::kFs;
constexpr double kPi = std::numbers::pi;

TSOS designed(std::uint8_t type, double gain, double f, double q) {
    TSOS s;
    s.FilterType = type;
    s.Gain = gain;
    s.Frequency = f;
    s.Q = q;
    s.Redesign(kFs);
    return s;
}

TEST(ResponseGrid, RunsFrom20HzTo23999HzEvenlyInLog) {
    const ResponseGrid grid(kFs);
    EXPECT_EQ(grid.frequency(0), 20);
    EXPECT_EQ(grid.frequency(400), 23999);
    for (int i = 1; i < kResponsePoints; ++i)
        EXPECT_GE(grid.frequency(i), grid.frequency(i - 1));
    // Point 200 is the geometric middle, sqrt(20 * 23999) = 692.8 Hz.
    EXPECT_EQ(grid.frequency(200), 693);
    const double w = 2 * kPi * grid.frequency(100) / kFs;
    EXPECT_DOUBLE_EQ(grid.zInverse(100).real(), std::cos(w));
    EXPECT_DOUBLE_EQ(grid.zInverse(100).imag(), -std::sin(w));
    EXPECT_EQ(ResponseGrid(44100).frequency(400), 22049);
}

TEST(ComputeResponse, NoSectionsLeaveZeros) {
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude, phase;
    magnitude.fill(7.0f);
    phase.fill(7.0f);
    ComputeResponse(grid, {}, magnitude, phase);
    for (int i = 0; i < kResponsePoints; ++i) {
        EXPECT_EQ(magnitude[static_cast<std::size_t>(i)], 0.0f);
        EXPECT_EQ(phase[static_cast<std::size_t>(i)], 0.0f);
    }
}

TEST(ComputeResponse, MatchesTheTransferFunctionOfTheCascade) {
    const std::vector<TSOS> cascade = {
        designed(kCodeParametricAdaptive, 6, 200, 2), designed(kCodeLowPassQ, 0, 8000, 0.9),
        designed(kCodeHighShelf6, -4, 3000, 1), designed(kCodeAllPass2, 0, 500, 0.7)};
    std::vector<const TSOS*> pointers;
    for (const auto& s : cascade)
        pointers.push_back(&s);
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude, phase;
    ComputeResponse(grid, pointers, magnitude, phase);
    for (int i = 0; i < kResponsePoints; i += 7) {
        const double f = grid.frequency(i);
        EXPECT_NEAR(magnitude[static_cast<std::size_t>(i)], test::dB(test::cascadeAt(cascade, f)), 1e-4) << f;
        // The phases are summed section by section, so compare modulo 2 pi.
        const double expected = std::arg(test::cascadeAt(cascade, f));
        const double diff = std::remainder(phase[static_cast<std::size_t>(i)] - expected, 2 * kPi);
        EXPECT_NEAR(diff, 0.0, 1e-5) << f;
    }
}

TEST(ComputeResponse, PhaseIsTheSumOfTheSectionPhases) {
    // Two sections of -pi each give -2 pi, not 0.
    TSOS invert;
    invert.B0 = -1.0;
    const TSOS* two[] = {&invert, &invert};
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude, phase;
    ComputeResponse(grid, two, magnitude, phase);
    EXPECT_EQ(phase[0], static_cast<float>(static_cast<float>(-kPi) + -kPi));
    EXPECT_EQ(magnitude[0], 0.0f);
}

TEST(ComputeResponse, NegativeRealIsMinusPiAndTinyMagnitudesAreZero) {
    TSOS invert;
    invert.B0 = -1.0;
    TSOS almostUnity;
    almostUnity.B0 = 1.0 + 1e-12; // 8.7e-12 dB
    TSOS unity;
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude, phase;
    const TSOS* one[] = {&invert};
    ComputeResponse(grid, one, magnitude, phase);
    for (int i = 0; i < kResponsePoints; ++i) {
        EXPECT_EQ(phase[static_cast<std::size_t>(i)], static_cast<float>(-kPi));
        EXPECT_EQ(magnitude[static_cast<std::size_t>(i)], 0.0f);
    }
    const TSOS* tiny[] = {&almostUnity, &unity};
    ComputeResponse(grid, tiny, magnitude, phase);
    for (int i = 0; i < kResponsePoints; ++i) {
        EXPECT_EQ(magnitude[static_cast<std::size_t>(i)], 0.0f);
        EXPECT_EQ(phase[static_cast<std::size_t>(i)], 0.0f);
    }
}

TEST(ComputeResponse, DelayPhaseIsMinusOmega) {
    TSOS delay; // H = z^-1
    delay.B0 = 0.0;
    delay.B1 = 1.0;
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude, phase;
    const TSOS* one[] = {&delay};
    ComputeResponse(grid, one, magnitude, phase);
    EXPECT_NEAR(phase[0], -2 * kPi * 20 / kFs, 1e-6);
    EXPECT_NEAR(phase[200], -2 * kPi * 693 / kFs, 1e-6);
}

TEST(WrappedPhase, DegreesWrappedIntoPlusMinus180) {
    EXPECT_NEAR(WrappedPhaseDegrees(kPi / 2), 90.0, 1e-12);
    EXPECT_NEAR(WrappedPhaseDegrees(3 * kPi / 2), -90.0, 1e-12);
    EXPECT_NEAR(WrappedPhaseDegrees(-3 * kPi / 2), 90.0, 1e-12);
    EXPECT_NEAR(WrappedPhaseDegrees(-kPi / 4), -45.0, 1e-12);
    EXPECT_NEAR(WrappedPhaseDegrees(2 * kPi + kPi / 3), 60.0, 1e-9);
}

} // namespace
} // namespace vela::dsp
