// The crossover designer against independent mathematics: Butterworth magnitudes,
// slopes, Linkwitz-Riley sums, Bessel corners; and its quirks, limits and send order.

#include "dsp/bessel_table.h"
#include "dsp/design_error.h"
#include "dsp/xover.h"
#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace vela::dsp {
namespace {

using test::dB;
using test::kFs;
constexpr double kPi = std::numbers::pi;
constexpr double kHalfPowerDb = -3.0102999566398120;

TXOVERPB edge(std::uint8_t alignment, int order, double f) {
    TXOVERPB e;
    e.Alignment = alignment;
    e.Order = order;
    e.Frequency = f;
    e.CopyFrequencyToSections();
    EXPECT_FALSE(e.Design(kFs));
    return e;
}

std::complex<double> edgeAt(const TXOVERPB& e, double f) {
    return test::cascadeAt(std::span<const TSOS>(e.Sections.data(), static_cast<std::size_t>(e.SectionCount)),
                           f);
}

void expectPassThrough(const TSOS& s) {
    EXPECT_EQ(s.B0, 1.0);
    EXPECT_EQ(s.B1, 0.0);
    EXPECT_EQ(s.B2, 0.0);
    EXPECT_EQ(s.A1, 0.0);
    EXPECT_EQ(s.A2, 0.0);
}

TEST(Butterworth, OrderThreeIsAFirstOrderSectionAndOneBiquad) {
    const TXOVERPB e = edge(kAlignButterworthLowPass, 3, 1000);
    EXPECT_EQ(e.SectionCount, 2);
    EXPECT_EQ(e.Sections[0].FilterType, kCodeFirstOrder);
    EXPECT_EQ(e.Sections[0].B2, 0.0);
    EXPECT_EQ(e.Sections[0].A2, 0.0);
    EXPECT_EQ(e.Sections[1].FilterType, kCodeLowPassQ);
    // theta = 4 pi / 6: the pole pair's Q is -1 / (2 cos theta) = 1.
    EXPECT_NEAR(e.Sections[1].Q, 1.0, 1e-9);
    EXPECT_EQ(e.Sections[0].Frequency, 1000.0);
    EXPECT_EQ(e.Sections[1].Frequency, 1000.0);
    expectPassThrough(e.Sections[2]);
    const TXOVERPB hp = edge(kAlignButterworthHighPass, 3, 1000);
    EXPECT_EQ(hp.Sections[0].FilterType, kCodeFirstOrderHighPassXover);
    EXPECT_EQ(hp.Sections[1].FilterType, kCodeHighPassQ);
    EXPECT_NEAR(hp.Sections[1].Q, 1.0, 1e-9);
}

TEST(Butterworth, OrderEightIsFourBiquadsWithTheButterworthAngles) {
    const TXOVERPB e = edge(kAlignButterworthHighPass, 8, 2000);
    EXPECT_EQ(e.SectionCount, 4);
    const double thetas[] = {9 * kPi / 16, 11 * kPi / 16, 13 * kPi / 16, 15 * kPi / 16};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(e.Sections[static_cast<std::size_t>(k)].FilterType, kCodeHighPassQ);
        EXPECT_NEAR(e.Sections[static_cast<std::size_t>(k)].Q, -1.0 / (2.0 * std::cos(thetas[k])), 1e-9);
    }
    // The textbook values.
    EXPECT_NEAR(e.Sections[0].Q, 2.5629, 1e-4);
    EXPECT_NEAR(e.Sections[3].Q, 0.5098, 1e-4);
}

TEST(Butterworth, MagnitudeIsTheButterworthMagnitudeForEveryOrder) {
    for (int n = 1; n <= 8; ++n)
        for (const double fc : {50.0, 1000.0, 9000.0}) {
            const TXOVERPB lp = edge(kAlignButterworthLowPass, n, fc);
            const TXOVERPB hp = edge(kAlignButterworthHighPass, n, fc);
            EXPECT_EQ(lp.SectionCount, (n + 1) / 2);
            EXPECT_NEAR(dB(edgeAt(lp, fc)), kHalfPowerDb, 1e-8) << n << " " << fc;
            EXPECT_NEAR(dB(edgeAt(hp, fc)), kHalfPowerDb, 1e-8) << n << " " << fc;
            const double tc = std::tan(kPi * fc / kFs);
            for (const double f : {fc / 4, fc / 1.5, fc * 1.5, fc * 2.5}) {
                if (f >= kFs / 2) continue;
                const double r = std::pow(std::tan(kPi * f / kFs) / tc, 2.0 * n);
                EXPECT_NEAR(std::norm(edgeAt(lp, f)), 1.0 / (1.0 + r), 1e-9) << n << " " << fc << " at " << f;
                EXPECT_NEAR(std::norm(edgeAt(hp, f)), r / (1.0 + r), 1e-9) << n << " " << fc << " at " << f;
            }
            for (const auto& s : lp.Sections)
                EXPECT_TRUE(test::stable(s) || s.A1 == 0.0);
        }
}

TEST(Butterworth, FallsSixDecibelsPerOctavePerOrderFarFromTheCorner) {
    for (int n = 1; n <= 8; ++n) {
        const TXOVERPB hp = edge(kAlignButterworthHighPass, n, 4000);
        EXPECT_NEAR(dB(edgeAt(hp, 100)) - dB(edgeAt(hp, 50)), 6.0206 * n, 0.01 * n) << n;
        const TXOVERPB lp = edge(kAlignButterworthLowPass, n, 20);
        EXPECT_NEAR(dB(edgeAt(lp, 500)) - dB(edgeAt(lp, 1000)), 6.0206 * n, 0.05 * n) << n;
    }
}

TEST(LinkwitzRiley, ThePairSumsFlat) {
    for (const int order : {2, 4, 6, 8})
        for (const double fc : {80.0, 1200.0, 6000.0}) {
            const TXOVERPB lp = edge(kAlignLinkwitzRileyLowPass, order, fc);
            const TXOVERPB hp = edge(kAlignLinkwitzRileyHighPass, order, fc);
            EXPECT_NEAR(dB(edgeAt(lp, fc)), 2 * kHalfPowerDb, 1e-8);
            EXPECT_NEAR(dB(edgeAt(hp, fc)), 2 * kHalfPowerDb, 1e-8);
            // Orders 4 and 8 sum in phase; 2 and 6 (odd Butterworth halves) with one side inverted.
            const double polarity = (order / 2) % 2 == 0 ? 1.0 : -1.0;
            for (const double f : {fc / 10, fc / 2, fc, fc * 1.9, 20000.0})
                EXPECT_NEAR(std::abs(edgeAt(lp, f) + polarity * edgeAt(hp, f)), 1.0, 1e-9)
                    << order << " " << fc;
        }
}

TEST(LinkwitzRiley, OddOrdersAreRaisedAndStored) {
    const TXOVERPB five = edge(kAlignLinkwitzRileyLowPass, 5, 1000);
    EXPECT_EQ(five.Order, 6);
    EXPECT_EQ(five.SectionCount, 4);
    EXPECT_EQ(five.Sections[0].FilterType, kCodeFirstOrder);
    EXPECT_EQ(five.Sections[2].FilterType, kCodeFirstOrder);
    EXPECT_EQ(edge(kAlignLinkwitzRileyHighPass, 7, 1000).Order, 8);
    EXPECT_EQ(edge(kAlignLinkwitzRileyHighPass, 1, 1000).Order, 2);

    const TXOVERPB two = edge(kAlignLinkwitzRileyHighPass, 2, 1000);
    EXPECT_EQ(two.SectionCount, 2);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(two.Sections[0].Coefficient(i), two.Sections[1].Coefficient(i));
    EXPECT_EQ(two.Sections[0].B2, 0.0);
}

TEST(Bessel, OrderTwoIsOneLowPassQSection) {
    const TXOVERPB e = edge(kAlignBesselLowPass, 2, 1000);
    EXPECT_EQ(e.SectionCount, 1);
    EXPECT_EQ(e.Sections[0].FilterType, kCodeLowPassQ);
    EXPECT_NEAR(e.Sections[0].Frequency, 1272.05, 0.01);
    EXPECT_NEAR(e.Sections[0].Q, 0.5773, 1e-4);
}

TEST(Bessel, EveryOrderIsNearHalfPowerAtTheEdgeFrequency) {
    // The tables are normalised to -3 dB at the corner; each section is warped at its own
    // frequency, so the digital corner is close to, not exactly, -3 dB.
    for (int n = 1; n <= 8; ++n) {
        const TXOVERPB lp = edge(kAlignBesselLowPass, n, 1000);
        const TXOVERPB hp = edge(kAlignBesselHighPass, n, 1000);
        EXPECT_EQ(lp.SectionCount, (n + 1) / 2);
        EXPECT_NEAR(dB(edgeAt(lp, 1000)), kHalfPowerDb, 0.05) << n;
        EXPECT_NEAR(dB(edgeAt(hp, 1000)), kHalfPowerDb, 0.05) << n;
        EXPECT_NEAR(std::abs(edgeAt(lp, 0)), 1.0, 1e-12);
        EXPECT_NEAR(std::abs(edgeAt(hp, kFs / 2)), 1.0, 1e-12);
    }
    // Odd orders start with the first-order section at the factor.
    const TXOVERPB three = edge(kAlignBesselLowPass, 3, 1000);
    EXPECT_EQ(three.Sections[0].FilterType, kCodeFirstOrder);
    EXPECT_NEAR(three.Sections[0].Frequency, 1323.0, 1e-3);
    EXPECT_NEAR(edge(kAlignBesselHighPass, 3, 1000).Sections[0].Frequency, 1000 / 1.323, 1e-3);
}

TEST(Bessel, LowPassAboveTheMaximumCutoffIsClamped) {
    TXOVERPB e;
    e.Alignment = kAlignBesselLowPass;
    e.Order = 4;
    e.Frequency = 15000;
    e.CopyFrequencyToSections();
    const auto limit = e.Design(kFs);
    ASSERT_TRUE(limit);
    EXPECT_EQ(limit->Message(), "Maximum Bessel Cutoff = 14900 for LowPass of order 4");
    EXPECT_EQ(limit->MaximumHz, 14900);
    EXPECT_EQ(e.SectionCount, 2);
    for (const auto& s : e.Sections)
        expectPassThrough(s); // nothing designed in that pass

    const auto again = e.DesignAtEdgeFrequency(kFs);
    ASSERT_TRUE(again);
    EXPECT_EQ(e.Frequency, 14900.0);
    EXPECT_NEAR(e.Sections[0].Frequency, 14900 / std::sqrt(0.4889), 0.01);
    EXPECT_EQ(e.Sections[1].FilterType, kCodeLowPassQ);
    for (const auto& s : e.Sections)
        EXPECT_TRUE(test::stable(s));
    // So close to the Nyquist frequency each section's warping shows: the corner is not -3 dB.
    EXPECT_LT(dB(edgeAt(e, 14900)), 0.0);

    for (int n = 1; n <= 8; ++n) {
        EXPECT_FALSE(edge(kAlignBesselLowPass, n, besselMaximumCutoff(n)).SectionCount == 0);
        TXOVERPB hp;
        hp.Alignment = kAlignBesselHighPass;
        hp.Order = n;
        hp.Frequency = 20000;
        EXPECT_FALSE(hp.DesignAtEdgeFrequency(kFs)) << n;
    }
}

TEST(CrossoverEdge, BypassResetsEverySection) {
    TXOVERPB e = edge(kAlignButterworthLowPass, 8, 1000);
    e.Sections[6].B0 = 3.0;
    e.Alignment = kAlignBypass;
    e.Order = 0; // not read
    EXPECT_FALSE(e.Design(kFs));
    EXPECT_EQ(e.SectionCount, 1);
    for (const auto& s : e.Sections)
        expectPassThrough(s);
    EXPECT_EQ(e.Sections[0].FilterType, kCodeLowPassQ); // only the coefficients are reset
}

TEST(CrossoverEdge, UnknownAlignmentChangesNothing) {
    TXOVERPB e = edge(kAlignButterworthLowPass, 4, 1000);
    const TXOVERPB before = e;
    e.Alignment = 9;
    e.Order = 99;
    EXPECT_FALSE(e.Design(kFs));
    EXPECT_EQ(e.SectionCount, before.SectionCount);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(e.Sections[0].Coefficient(i), before.Sections[0].Coefficient(i));
}

TEST(CrossoverEdge, CustomAlignmentsUseEachSectionsOwnFrequencyAndQ) {
    TXOVERPB e;
    e.Alignment = kAlignCustomLowPass;
    e.Order = 5;
    const double f[] = {800, 1000, 1500};
    const double q[] = {9, 0.6, 1.4};
    for (std::size_t i = 0; i < 3; ++i) {
        e.Sections[i].Frequency = f[i];
        e.Sections[i].Q = q[i];
    }
    e.Frequency = 5000; // not used by a custom alignment
    EXPECT_FALSE(e.DesignAtEdgeFrequency(kFs));
    EXPECT_EQ(e.SectionCount, 3);
    EXPECT_EQ(e.Sections[0].FilterType, kCodeFirstOrder);
    EXPECT_NEAR(dB(test::responseAt(e.Sections[0], 800)), kHalfPowerDb, 1e-9);
    EXPECT_NEAR(std::abs(test::responseAt(e.Sections[1], 1000)), 0.6, 1e-9);
    EXPECT_NEAR(std::abs(test::responseAt(e.Sections[2], 1500)), 1.4, 1e-9);
    expectPassThrough(e.Sections[3]);

    TXOVERPB hp;
    hp.Alignment = kAlignCustomHighPass;
    hp.Order = 2;
    hp.Sections[0].Frequency = 300;
    hp.Sections[0].Q = 2;
    EXPECT_FALSE(hp.Design(kFs));
    EXPECT_EQ(hp.SectionCount, 1);
    EXPECT_EQ(hp.Sections[0].FilterType, kCodeHighPassQ);
    EXPECT_NEAR(std::abs(test::responseAt(hp.Sections[0], 300)), 2.0, 1e-9);
}

TEST(CrossoverEdge, BadParametersAreRefusedAndChangeNothing) {
    for (const int order : {0, 9, -1}) {
        TXOVERPB e = edge(kAlignButterworthLowPass, 4, 1000);
        e.Order = order;
        EXPECT_THROW(e.Design(kFs), DesignError) << order;
        EXPECT_EQ(e.SectionCount, 2);
        EXPECT_NE(e.Sections[0].B1, 0.0);
    }
    for (const double f : {0.0, 24000.0, 1e9, -3.0}) {
        TXOVERPB e = edge(kAlignLinkwitzRileyHighPass, 5, 1000);
        e.Frequency = f;
        EXPECT_THROW(e.DesignAtEdgeFrequency(kFs), DesignError) << f;
        EXPECT_EQ(e.Frequency, f);
        EXPECT_EQ(e.Order, 6);
        EXPECT_NE(e.Sections[3].B1, 0.0);
    }
    // A custom edge whose second section has no valid Q keeps its first section too.
    TXOVERPB c;
    c.Alignment = kAlignCustomLowPass;
    c.Order = 4;
    c.Sections[1].Q = 0;
    EXPECT_THROW(c.Design(kFs), DesignError);
    expectPassThrough(c.Sections[0]);
    EXPECT_EQ(c.SectionCount, 1);
    {
        TXOVERPB e = edge(kAlignButterworthLowPass, 4, 1000);
        e.Order = 12;
        try {
            e.Design(kFs);
            ADD_FAILURE() << "order 12 designed";
        } catch (const DesignError& err) {
            EXPECT_STREQ(err.what(), "crossover order 12 is outside 1..8");
        }
    }
    TXOVERPB e;
    EXPECT_THROW(e.DesignButterworth(8, 6, 1, 1000, kFs), DesignError); // needs sections 6..9
    EXPECT_THROW(e.DesignButterworth(2, 1, 0, 1000, kFs), DesignError);
}

TEST(Crossover, AddressesOfBothOutputs) {
    TXOVER x;
    x.AssignAddresses(1);
    const int low1[] = {91, 96, 101, 106}, high1[] = {111, 116, 121, 126};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(x.LowPass.Sections[i].DspAddress, low1[i]);
        EXPECT_EQ(x.HighPass.Sections[i].DspAddress, high1[i]);
    }
    x.AssignAddresses(2);
    EXPECT_EQ(x.LowPass.Sections[0].DspAddress, 131);
    EXPECT_EQ(x.LowPass.Sections[3].DspAddress, 146);
    EXPECT_EQ(x.HighPass.Sections[0].DspAddress, 151);
    EXPECT_EQ(x.HighPass.Sections[3].DspAddress, 166);
    EXPECT_THROW(x.AssignAddresses(3), DesignError);
}

TEST(Crossover, EdgesSendTheirFourSectionsHighestFirst) {
    TXOVER x;
    x.AssignAddresses(1);
    x.LowPass = edge(kAlignButterworthLowPass, 2, 5000);
    x.HighPass = edge(kAlignLinkwitzRileyHighPass, 4, 100);
    x.AssignAddresses(1);
    test::RecordingSink sink;
    x.HighPass.SendRealTime(sink);
    x.LowPass.SendRealTime(sink);
    ASSERT_EQ(sink.frames.size(), 8u);
    const int order[] = {126, 121, 116, 111, 106, 101, 96, 91};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(sink.frames[i].type, RealTimeType::FiveWords);
        EXPECT_EQ(sink.frames[i].address, order[i]);
        ASSERT_EQ(sink.frames[i].words.size(), 5u);
    }
    const auto hp1 = x.HighPass.Sections[0].Words();
    EXPECT_EQ(sink.frames[3].words, std::vector<std::uint32_t>(hp1.begin(), hp1.end()));
    // Unused sections carry pass-through coefficients.
    EXPECT_EQ(sink.frames[4].words, (std::vector<std::uint32_t>{0x00800000, 0, 0, 0, 0}));
    EXPECT_EQ(sink.targetChanges, 0);
}

TEST(Crossover, CascadeIsLowPassThenHighPass) {
    TXOVER x;
    x.LowPass = edge(kAlignButterworthLowPass, 3, 5000);
    x.HighPass = edge(kAlignButterworthHighPass, 8, 100);
    const SectionList list = x.Cascade();
    ASSERT_EQ(list.count, 6u);
    EXPECT_EQ(list.items[0], &x.LowPass.Sections[0]);
    EXPECT_EQ(list.items[1], &x.LowPass.Sections[1]);
    EXPECT_EQ(list.items[2], &x.HighPass.Sections[0]);
    EXPECT_EQ(list.items[5], &x.HighPass.Sections[3]);
}

} // namespace
} // namespace vela::dsp
