// The designs measured against independent mathematics: gains at the corner, centre, DC and
// Nyquist that each filter type must have, evaluated from the transfer function directly.

#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace vela::dsp {
namespace {

using test::dB;
using test::kFs;
using test::responseAt;

constexpr double kPi = std::numbers::pi;
constexpr double kHalfPowerDb = -3.0102999566398120; // 20 log10(1/sqrt(2))

TSOS designed(std::uint8_t type, double gain, double f, double q) {
    TSOS s;
    s.FilterType = type;
    s.Gain = gain;
    s.Frequency = f;
    s.Q = q;
    s.Redesign(kFs);
    return s;
}

const double kFrequencies[] = {40.0, 250.0, 1000.0, 4000.0, 12000.0, 18000.0};

TEST(SosResponse, ButterworthEdgesAreHalfPowerAtTheirCorner) {
    for (const double f : kFrequencies) {
        const TSOS lp = designed(kCodeLowPassButterworth, 0, f, 1);
        const TSOS hp = designed(kCodeHighPassButterworth, 0, f, 1);
        EXPECT_NEAR(dB(responseAt(lp, f)), kHalfPowerDb, 1e-9) << f;
        EXPECT_NEAR(dB(responseAt(hp, f)), kHalfPowerDb, 1e-9) << f;
        EXPECT_NEAR(std::abs(responseAt(lp, 0)), 1.0, 1e-10);
        EXPECT_NEAR(std::abs(responseAt(hp, kFs / 2.0)), 1.0, 1e-10);
        EXPECT_TRUE(test::stable(lp) && test::stable(hp));
        // A second-order Butterworth: |H|^2 = 1 / (1 + (t/tc)^4) with t = tan(pi f / fs).
        const double tc = std::tan(kPi * f / kFs);
        for (const double g : {f / 3.0, f * 1.7}) {
            if (g >= kFs / 2.0) continue;
            const double r = std::pow(std::tan(kPi * g / kFs) / tc, 4.0);
            EXPECT_NEAR(std::norm(responseAt(lp, g)), 1.0 / (1.0 + r), 1e-9) << f << " at " << g;
            EXPECT_NEAR(std::norm(responseAt(hp, g)), r / (1.0 + r), 1e-9) << f << " at " << g;
        }
    }
}

TEST(SosResponse, FirstOrderEdgesAreHalfPowerAtTheirCorner) {
    for (const double f : kFrequencies) {
        TSOS lp, hp;
        lp.Frequency = hp.Frequency = f;
        lp.DesignFirstOrderLowPass(kFs);
        hp.DesignFirstOrderHighPass(kFs);
        EXPECT_NEAR(dB(responseAt(lp, f)), kHalfPowerDb, 1e-9);
        EXPECT_NEAR(dB(responseAt(hp, f)), kHalfPowerDb, 1e-9);
        // The two are complementary in power.
        EXPECT_NEAR(std::norm(responseAt(lp, f / 2)) + std::norm(responseAt(hp, f / 2)), 1.0, 1e-12);
    }
}

TEST(SosResponse, SecondOrderWithQHasGainQAtItsCorner) {
    for (const double q : {0.5, 0.707, 2.0, 8.0})
        for (const double f : {100.0, 3000.0}) {
            EXPECT_NEAR(std::abs(responseAt(designed(kCodeLowPassQ, 0, f, q), f)), q, 1e-9);
            EXPECT_NEAR(std::abs(responseAt(designed(kCodeHighPassQ, 0, f, q), f)), q, 1e-9);
        }
}

TEST(SosResponse, PeakingFiltersReachTheirGainAtTheCentre) {
    for (const double g : {-15.0, -6.0, 3.0, 12.0})
        for (const double f : kFrequencies)
            for (const std::uint8_t code : {kCodeParametricAdaptive, kCodeParametricConstant}) {
                const TSOS s = designed(code, g, f, 2.5);
                // (Parametric Q const designs 12000 Hz at 12000.5 Hz.)
                const double centre = code == kCodeParametricConstant && f == 12000 ? 12000.5 : f;
                EXPECT_NEAR(dB(responseAt(s, centre)), g, 1e-9) << int(code) << " " << g << " dB at " << f;
                EXPECT_NEAR(dB(responseAt(s, 0)), 0.0, 1e-9);
                EXPECT_NEAR(dB(responseAt(s, kFs / 2.0)), 0.0, 1e-9);
                EXPECT_TRUE(test::stable(s));
            }
}

// The bandwidth that Q sets, away from the centre, DC and Nyquist where Q does not show: each
// peaking design is the bilinear transform, warped to the centre, of an analogue peaking
// section H(s) = (s^2 + (Nz/Q) s + 1) / (s^2 + (Np/Q) s + 1), with Nz/Np = A/(1/A) for Q adap
// (A^2 the centre gain) and N/D = gain/1 (boost) or 1/cut for Q const.
TEST(SosResponse, PeakingBandwidthFollowsQ) {
    const double f0 = 1000.0;
    for (const double q : {0.4, 2.0, 7.0})
        for (const double g : {9.0, -9.0})
            for (const std::uint8_t code : {kCodeParametricAdaptive, kCodeParametricConstant}) {
                const TSOS s = designed(code, g, f0, q);
                const double v = std::pow(10.0, g / 20.0);
                double nz = std::sqrt(v), np = 1.0 / std::sqrt(v);
                if (code == kCodeParametricConstant) {
                    nz = std::max(v, 1.0);
                    np = std::max(1.0 / v, 1.0);
                }
                for (int k = -12; k <= 12; ++k) {
                    const double f = f0 * std::pow(2.0, k / 4.0);
                    const double w = std::tan(kPi * f / kFs) / std::tan(kPi * f0 / kFs);
                    const std::complex<double> jw(0.0, w);
                    const auto analogue = (jw * jw + nz / q * jw + 1.0) / (jw * jw + np / q * jw + 1.0);
                    EXPECT_NEAR(dB(responseAt(s, f)), dB(analogue), 1e-6)
                        << int(code) << " Q " << q << " " << g << " dB at " << f << " Hz";
                }
            }
    // Half the gain, in dB, is reached an octave band apart that narrows as Q grows.
    const auto halfGainWidth = [&](double q) {
        const TSOS s = designed(kCodeParametricAdaptive, 12.0, f0, q);
        double lo = f0, hi = f0;
        while (dB(responseAt(s, lo)) > 6.0) lo /= 1.001;
        while (dB(responseAt(s, hi)) > 6.0) hi *= 1.001;
        return std::log2(hi / lo);
    };
    // Octaves between the half-gain points: 2 asinh(1/(2Q)) / ln 2, slightly warped at 1 kHz.
    EXPECT_NEAR(halfGainWidth(4.0), 2.0 * std::asinh(1.0 / 8.0) / std::log(2.0), 0.01);
    EXPECT_NEAR(halfGainWidth(0.5), 2.0 * std::asinh(1.0) / std::log(2.0), 0.02);
}

TEST(SosResponse, ShelvesReachTheirGainAtTheirEnd) {
    for (const double g : {-12.0, -2.0, 2.0, 9.0}) {
        const double f = 1200;
        struct Expect {
            std::uint8_t code;
            double dc, nyquist;
        };
        const Expect shelves[] = {{kCodeLowShelf6, g, 0},   {kCodeHighShelf6, 0, g},
                                  {kCodeLowShelf12, g, 0},  {kCodeHighShelf12, 0, g},
                                  {kCodeLowShelf12Q, g, 0}, {kCodeHighShelf12Q, 0, g}};
        for (const auto& e : shelves) {
            const TSOS s = designed(e.code, g, f, 0.9);
            EXPECT_NEAR(dB(responseAt(s, 0)), e.dc, 1e-9) << int(e.code) << " " << g;
            EXPECT_NEAR(dB(responseAt(s, kFs / 2.0)), e.nyquist, 1e-9) << int(e.code) << " " << g;
            EXPECT_TRUE(test::stable(s)) << int(e.code);
        }
    }
    // A 6 dB shelf of modest gain is at half its gain (in dB) at its corner.
    EXPECT_NEAR(dB(responseAt(designed(kCodeLowShelf6, 2, 500, 1), 500)), 1.0, 1e-9);
    EXPECT_NEAR(dB(responseAt(designed(kCodeHighShelf6, -2, 500, 1), 500)), -1.0, 1e-9);
    // Beyond +3 dB its corner is 3 dB below the shelf.
    EXPECT_NEAR(dB(responseAt(designed(kCodeLowShelf6, 9, 500, 1), 500)), 9 + kHalfPowerDb, 1e-9);
    // The fixed-slope 12 dB shelves are the bilinear images of (s^2 + sqrt(2V) s + V) /
    // (s^2 + sqrt(2) s + 1) and its relatives: |H|^2 = (V^2 + 1)/2 at the corner (s = j).
    const double V = std::pow(10.0, 8.0 / 20.0);
    EXPECT_NEAR(std::norm(responseAt(designed(kCodeLowShelf12, 8, 500, 1), 500)), (V * V + 1) / 2, 1e-9);
    EXPECT_NEAR(std::norm(responseAt(designed(kCodeHighShelf12, 8, 500, 1), 500)), (V * V + 1) / 2, 1e-9);
    EXPECT_NEAR(std::norm(responseAt(designed(kCodeLowShelf12, -8, 500, 1), 500)), 2 / (V * V + 1), 1e-9);
    EXPECT_NEAR(std::norm(responseAt(designed(kCodeHighShelf12, -8, 500, 1), 500)), 2 / (V * V + 1), 1e-9);
}

TEST(SosResponse, BandPassPeaksAtItsGainAndStopBandNotches) {
    for (const double f : kFrequencies) {
        const TSOS bp = designed(kCodeBandPass, 4, f, 3);
        EXPECT_NEAR(dB(responseAt(bp, f)), 4.0, 1e-9);
        EXPECT_LT(std::abs(responseAt(bp, 0)), 1e-12);
        const TSOS sb = designed(kCodeStopBand, 4, f, 3);
        EXPECT_LT(std::abs(responseAt(sb, f)), 1e-9);
        EXPECT_NEAR(std::abs(responseAt(sb, 0)), 1.0, 1e-12);
        EXPECT_NEAR(std::abs(responseAt(sb, kFs / 2.0)), 1.0, 1e-12);
    }
}

TEST(SosResponse, AllPassesAreFlatWithTheirPhaseAtTheCorner) {
    for (const double f : kFrequencies) {
        const TSOS ap1 = designed(kCodeAllPass1, 0, f, 1);
        const TSOS ap2 = designed(kCodeAllPass2, 0, f, 0.8);
        for (const double g : {30.0, f / 2, f, f * 1.3, 20000.0}) {
            EXPECT_NEAR(std::abs(responseAt(ap1, g)), 1.0, 1e-12);
            EXPECT_NEAR(std::abs(responseAt(ap2, g)), 1.0, 1e-12);
        }
        // (1 - s)/(1 + s) at s = j is -j; the second-order one is -1 there.
        EXPECT_NEAR(std::arg(responseAt(ap1, f)), -kPi / 2, 1e-9);
        EXPECT_NEAR(std::fabs(std::arg(responseAt(ap2, f))), kPi, 1e-9);
    }
}

} // namespace
} // namespace vela::dsp
