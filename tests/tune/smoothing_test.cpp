// Fractional-octave smoothing of measured traces: a power mean over the band, in which the
// points outside the measured range take no part.

#include "tune/smoothing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vela::tune {
namespace {

std::vector<double> grid(int pointsPerOctave, int octaves) {
    std::vector<double> hz;
    for (int i = 0; i <= pointsPerOctave * octaves; ++i)
        hz.push_back(20 * std::pow(2.0, double(i) / pointsPerOctave));
    return hz;
}

TEST(Smoothing, IsAPowerMeanThatLeavesTheEndsOfAMeasurementAlone) {
    const std::vector<double> hz = grid(48, 10);
    // +6 and -6 dB in turn: their power mean, not the 0 dB of their mean in dB.
    std::vector<double> ripple(hz.size());
    for (std::size_t i = 0; i < hz.size(); ++i)
        ripple[i] = i % 2 ? 6.0 : -6.0;
    const std::vector<double> smooth = smoothedOctave(hz, ripple, 3);
    const double expected = 10 * std::log10((std::pow(10.0, 0.6) + std::pow(10.0, -0.6)) / 2);
    // (The band holds one point more of one sign than of the other.)
    EXPECT_NEAR(smooth[hz.size() / 2], expected, 0.3);
    // A flat measurement that ends inside the grid stays flat up to its last point.
    std::vector<double> flat(hz.size(), 80.0);
    for (std::size_t i = hz.size() - 40; i < hz.size(); ++i)
        flat[i] = NAN;
    const std::vector<double> ends = smoothedOctave(hz, flat, 3);
    for (std::size_t i = 0; i < hz.size() - 40; ++i)
        EXPECT_NEAR(ends[i], 80.0, 1e-9) << hz[i];
    EXPECT_TRUE(std::isnan(ends.back()));
    // None leaves the trace as it is.
    EXPECT_EQ(smoothedOctave(hz, ripple, 0), ripple);
}

} // namespace
} // namespace vela::tune
