// TSOS: construction, the dispatcher, the quirks of the designs and the refusal of bad
// parameters.

#include "dsp/coefficient_word.h"
#include "dsp/design_error.h"
#include "dsp/filter_types.h"
#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vela::dsp {
namespace {

using test::kFs;
using test::responseAt;

TSOS section(std::uint8_t type, double gain, double f, double q) {
    TSOS s;
    s.FilterType = type;
    s.Gain = gain;
    s.Frequency = f;
    s.Q = q;
    return s;
}

TSOS designed(std::uint8_t type, double gain, double f, double q) {
    TSOS s = section(type, gain, f, q);
    s.Redesign(kFs);
    return s;
}

void expectSameCoefficients(const TSOS& a, const TSOS& b) {
    for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(a.Coefficient(i), b.Coefficient(i)) << "coefficient " << i;
}

// Every code that Redesign designs.
constexpr std::uint8_t kDesignedCodes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 15, 16, 17, 18, 19};

TEST(Sos, ConstructionDefaults) {
    const TSOS s;
    EXPECT_EQ(s.B0, 1.0);
    EXPECT_EQ(s.B1, 0.0);
    EXPECT_EQ(s.B2, 0.0);
    EXPECT_EQ(s.A1, 0.0);
    EXPECT_EQ(s.A2, 0.0);
    EXPECT_EQ(s.FilterType, 0);
    EXPECT_EQ(s.Gain, 0.0);
    EXPECT_EQ(s.Frequency, 1000.0);
    EXPECT_EQ(s.Q, 0.707);
    EXPECT_NE(s.Q, 1.0 / std::sqrt(2.0));
    EXPECT_EQ(s.DspAddress, 0);
}

TEST(Sos, SetPassThroughKeepsTheParameters) {
    TSOS s = designed(kCodeParametricAdaptive, 6, 2000, 3);
    s.SetPassThrough();
    EXPECT_EQ(s.Coefficient(0), 1.0);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(s.Coefficient(i), 0.0);
    EXPECT_EQ(s.FilterType, kCodeParametricAdaptive);
    EXPECT_EQ(s.Gain, 6.0);
    EXPECT_EQ(s.Frequency, 2000.0);
    EXPECT_EQ(s.Q, 3.0);
}

TEST(Sos, CoefficientIndexes) {
    TSOS s;
    s.B0 = 1.5;
    s.B1 = 2.5;
    s.B2 = 3.5;
    s.A1 = 4.5;
    s.A2 = 5.5;
    EXPECT_EQ(s.Coefficient(0), 1.5);
    EXPECT_EQ(s.Coefficient(1), 2.5);
    EXPECT_EQ(s.Coefficient(2), 3.5);
    EXPECT_EQ(s.Coefficient(3), 4.5);
    EXPECT_EQ(s.Coefficient(4), 5.5);
    EXPECT_EQ(s.Coefficient(5), 0.0);
    EXPECT_EQ(s.Coefficient(-1), 0.0);
}

TEST(FilterTypes, ListIndexAndCodeTable) {
    const int codes[] = {0, 1, 17, 2, 3, 18, 19, 15, 16, 4, 5, 10, 11, 6, 7, 8, 9};
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(FilterCodeOfListIndex(i), codes[i]) << i;
        EXPECT_EQ(ListIndexOfFilterCode(static_cast<std::uint8_t>(codes[i])), i);
    }
    EXPECT_EQ(kFilterList[2].text, "Parametric Q const");
    EXPECT_EQ(kFilterList[16].text, "AllPass 2");
    EXPECT_FALSE(FilterCodeOfListIndex(17));
    EXPECT_FALSE(FilterCodeOfListIndex(-1));
    for (const int unlisted : {12, 13, 14, 20, 255})
        EXPECT_EQ(ListIndexOfFilterCode(static_cast<std::uint8_t>(unlisted)), 0);
    EXPECT_EQ(ImageFilterCode(0), 0);
    EXPECT_EQ(ImageFilterCode(12), 12);
    EXPECT_EQ(ImageFilterCode(19), 19);
    EXPECT_EQ(ImageFilterCode(20), 0);
}

TEST(Sos, RedesignRunsTheDesignOfTheStoredCode) {
    TSOS direct = section(kCodeParametricConstant, -4, 3000, 2);
    direct.DesignParametricConstant(kFs);
    expectSameCoefficients(designed(kCodeParametricConstant, -4, 3000, 2), direct);

    TSOS shelf = section(kCodeHighShelf12Q, 5, 6000, 0.8);
    shelf.DesignHighShelf12Q(kFs);
    expectSameCoefficients(designed(kCodeHighShelf12Q, 5, 6000, 0.8), shelf);

    TSOS bypass = designed(kCodeParametricAdaptive, 6, 1000, 1);
    bypass.FilterType = kCodeBypass;
    bypass.Redesign(kFs);
    expectSameCoefficients(bypass, TSOS());
}

TEST(Sos, RedesignLeavesCodesWithoutADesignAlone) {
    for (const int code : {12, 13, 14, 20, 255}) {
        TSOS s = designed(kCodeParametricAdaptive, 6, 1000, 1);
        const TSOS before = s;
        s.FilterType = static_cast<std::uint8_t>(code);
        s.Frequency = 0; // not even checked
        s.Redesign(kFs);
        expectSameCoefficients(s, before);
        EXPECT_EQ(s.FilterType, code);
    }
}

TEST(Sos, EveryDesignSetsItsOwnCode) {
    for (const auto code : kDesignedCodes) {
        TSOS s = section(code, 3, 1500, 1.2);
        s.FilterType = code;
        s.Redesign(kFs);
        EXPECT_EQ(s.FilterType, code);
    }
    TSOS lp = section(kCodeBypass, 3, 1500, 1);
    lp.DesignFirstOrderLowPass(kFs);
    EXPECT_EQ(lp.FilterType, kCodeFirstOrder);
    TSOS hp = section(kCodeBypass, 3, 1500, 1);
    hp.DesignFirstOrderHighPass(kFs);
    EXPECT_EQ(hp.FilterType, kCodeFirstOrder);
}

TEST(Sos, ZeroGainPeaksAndShelvesAreTheIdentity) {
    for (const int code : {1, 2, 3, 15, 16, 17, 18, 19}) {
        const TSOS s = designed(static_cast<std::uint8_t>(code), 0.0, 2500, 1.7);
        for (const double f : {20.0, 300.0, 2500.0, 9000.0, 23000.0}) {
            const auto h = responseAt(s, f);
            EXPECT_NEAR(h.real(), 1.0, 1e-12) << "code " << int(code) << " at " << f;
            EXPECT_NEAR(h.imag(), 0.0, 1e-12) << "code " << int(code) << " at " << f;
        }
    }
}

TEST(Sos, ZeroGainShelvesPassThroughAndKeepTheirType) {
    using Design = void (TSOS::*)(std::int32_t);
    const Design designs[] = {&TSOS::DesignLowShelf6, &TSOS::DesignHighShelf6, &TSOS::DesignLowShelf12,
                              &TSOS::DesignHighShelf12};
    for (const auto design : designs) {
        TSOS s = section(kCodeLowPassQ, 0.0, 2500, 1);
        s.B0 = 0.25;
        s.A1 = 0.5;
        (s.*design)(kFs);
        expectSameCoefficients(s, TSOS());
        EXPECT_EQ(s.FilterType, kCodeLowPassQ);
    }
}

TEST(Sos, ShelfWithAGainTooSmallToMatterIsFlatNotNaN) {
    TSOS s = section(kCodeLowShelf6, 1e-300, 1000, 1);
    s.Redesign(kFs);
    expectSameCoefficients(s, TSOS());
}

TEST(Sos, ParametricConstantAt12000HzDesignsAt12000_5Hz) {
    const TSOS at12000 = designed(kCodeParametricConstant, 6, 12000, 2);
    const TSOS at12000_5 = designed(kCodeParametricConstant, 6, 12000.5, 2);
    // The same up to the last digits of the stored constant pi * 12000.5.
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(at12000.Coefficient(i), at12000_5.Coefficient(i), 1e-12);
    // The peak, at its full gain, lies at 12000.5 Hz.
    EXPECT_NEAR(test::dB(responseAt(at12000, 12000.5)), 6.0, 1e-9);
    // Just below, the design runs at the frequency given.
    const TSOS below = designed(kCodeParametricConstant, 6, 11999.999, 2);
    EXPECT_NEAR(test::dB(responseAt(below, 11999.999)), 6.0, 1e-9);
    EXPECT_NE(below.B0, at12000.B0);
}

TEST(Sos, ParametricConstantBoostAndCutAreMirrorImages) {
    const TSOS boost = designed(kCodeParametricConstant, 6, 700, 3);
    const TSOS cut = designed(kCodeParametricConstant, -6, 700, 3);
    for (const double f : {20.0, 350.0, 700.0, 1400.0, 20000.0}) {
        const auto product = responseAt(boost, f) * responseAt(cut, f);
        EXPECT_NEAR(product.real(), 1.0, 1e-12) << f;
        EXPECT_NEAR(product.imag(), 0.0, 1e-12) << f;
    }
    // The boost's zero pair is the cut's pole pair.
    EXPECT_NEAR(boost.B1 / boost.B0, -cut.A1, 1e-12);
    EXPECT_NEAR(boost.B2 / boost.B0, -cut.A2, 1e-12);
}

TEST(Sos, BandPassAndStopBandRaiseASmallQ) {
    for (const std::uint8_t code : {kCodeBandPass, kCodeStopBand}) {
        const TSOS small = designed(code, 3, 1000, 0.01);
        const TSOS raised = designed(code, 3, 1000, 2.0 * 1000 / 48000);
        expectSameCoefficients(small, raised);
        EXPECT_EQ(small.Q, 0.01); // the stored Q is not changed
    }
    // The raised Q makes the bandwidth pi radians: tan(pi/2) is huge and beta nearly 0.
    const TSOS notch = designed(kCodeStopBand, 0, 1000, 0.01);
    EXPECT_LT(std::fabs(notch.B0), 1e-15);
}

TEST(Sos, SlopeShelfUsesBetaOfOneTenthForSmallU) {
    // With u = 0.01 exactly, beta = sqrt(u) = 0.1, the same as any u below 0.1.
    const double gain = 12.0;
    const double A = std::sqrt(std::pow(10.0, gain / 20.0));
    const double qForU001 = (A * A + 1.0) / (0.01 + (A - 1.0) * (A - 1.0));
    const double qForU02 = (A * A + 1.0) / (0.2 + (A - 1.0) * (A - 1.0));
    for (const std::uint8_t code : {kCodeLowShelf12Q, kCodeHighShelf12Q}) {
        const TSOS tiny = designed(code, gain, 300, 20.0); // u < 0
        const TSOS exact = designed(code, gain, 300, qForU001);
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(tiny.Coefficient(i), exact.Coefficient(i), 1e-9);
        // Above 0.1 beta is sqrt(u): sqrt(0.2), not 0.1.
        const TSOS atBound = designed(code, gain, 300, qForU02);
        EXPECT_GT(std::fabs(atBound.B0 - tiny.B0), 1e-6);
    }
}

TEST(Sos, WhichDesignsZeroTheGain) {
    for (const std::uint8_t code : {kCodeLowPassButterworth, kCodeHighPassButterworth, kCodeLowPassQ})
        EXPECT_EQ(designed(code, 5, 1000, 1).Gain, 0.0) << int(code);
    EXPECT_EQ(designed(kCodeHighPassQ, 5, 1000, 1).Gain, 5.0);
    TSOS lp = section(kCodeBypass, 5, 1000, 1);
    lp.DesignFirstOrderLowPass(kFs);
    EXPECT_EQ(lp.Gain, 0.0);
    TSOS hp = section(kCodeBypass, 5, 1000, 1);
    hp.DesignFirstOrderHighPass(kFs);
    EXPECT_EQ(hp.Gain, 0.0);
}

TEST(Sos, EquivalentQRecoversTheDesignQ) {
    for (const double q : {0.5, 0.707, 1.3, 4.0}) {
        EXPECT_NEAR(designed(kCodeLowPassQ, 0, 800, q).EquivalentLowPassQ(), q, 1e-9);
        EXPECT_NEAR(designed(kCodeHighPassQ, 0, 800, q).EquivalentHighPassQ(), q, 1e-9);
    }
}

TEST(Sos, BadParametersAreRefusedAndChangeNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double gain, f, q;
    };
    const Case bad[] = {{3, 0, 1},      {3, -5, 1},     {3, 24000, 1},  {3, 30000, 1}, {3, nan, 1},
                        {3, 1000, nan}, {nan, 1000, 1}, {inf, 1000, 1}, {3, inf, 1}};
    // Every design reads the frequency; these read the gain or Q as well.
    const auto reads = [](std::uint8_t code, std::initializer_list<int> codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    for (const auto code : kDesignedCodes) {
        const bool readsGain = reads(code, {1, 2, 3, 6, 15, 16, 17, 18, 19});
        const bool readsQ = reads(code, {1, 6, 7, 9, 10, 11, 15, 16, 17});
        for (const auto& c : bad) {
            const bool badFrequency = !(c.f > 0 && c.f < kFs / 2.0);
            const bool refuses = badFrequency || (readsGain && !std::isfinite(c.gain)) || (readsQ && std::isnan(c.q));
            TSOS s = designed(code, 2, 1000, 1);
            const TSOS before = s;
            s.Gain = c.gain;
            s.Frequency = c.f;
            s.Q = c.q;
            if (refuses) {
                EXPECT_THROW(s.Redesign(kFs), DesignError) << int(code) << ": " << c.gain << " dB " << c.f << " Hz Q " << c.q;
                expectSameCoefficients(s, before);
                EXPECT_EQ(s.FilterType, before.FilterType);
            } else {
                EXPECT_NO_THROW(s.Redesign(kFs)) << int(code) << ": " << c.gain << " dB Q " << c.q;
                for (int i = 0; i < 5; ++i)
                    EXPECT_TRUE(std::isfinite(s.Coefficient(i))) << int(code);
            }
        }
    }
    // A Q that is not positive is refused by every design that reads Q.
    for (const int code : {1, 6, 7, 9, 10, 11, 15, 16, 17}) {
        for (const double q : {0.0, -1.0}) {
            TSOS s = section(static_cast<std::uint8_t>(code), 2, 1000, q);
            EXPECT_THROW(s.Redesign(kFs), DesignError) << int(code) << " Q " << q;
        }
    }
    TSOS s = section(kCodeLowPassButterworth, 0, 24000, 1);
    try {
        s.Redesign(kFs);
        FAIL() << "24000 Hz accepted";
    } catch (const DesignError& e) {
        EXPECT_STREQ(e.what(), "frequency 24000 Hz is outside 0 < f < 24000 Hz (half the sample rate)");
    }
    TSOS rate = section(kCodeLowPassButterworth, 0, 1000, 1);
    EXPECT_THROW(rate.Redesign(0), DesignError);
}

TEST(Sos, ZeroGainShelfIgnoresItsUnusedFrequency) {
    TSOS s = section(kCodeLowShelf12, 0, 0, 1);
    EXPECT_NO_THROW(s.Redesign(kFs));
}

TEST(CoefficientWord, TruncatesTowardZeroIn28Bits) {
    EXPECT_EQ(coefficientWord(1.0), 0x00800000u);
    EXPECT_EQ(coefficientWord(0.5), 0x00400000u);
    EXPECT_EQ(coefficientWord(-1.0), 0x0F800000u);
    EXPECT_EQ(coefficientWord(0.3), 2516582u); // 00 26 66 66
    EXPECT_EQ(coefficientWord(-0.3), 0x0FD9999Au);
    EXPECT_EQ(coefficientWord(13.0), 0x06800000u);
    EXPECT_EQ(coefficientWord(4381.0), 0x0E800000u); // wraps to 0E 80 00 00
    EXPECT_EQ(coefficientWord(0.0), 0u);
    EXPECT_EQ(coefficientWord(1e30) & ~kCoefficientWordMask, 0u);
    // Scaled fractions of one half and more, where rounding would differ, both signs.
    const double lsb = std::ldexp(1.0, -23);
    EXPECT_EQ(coefficientWord(2.5 * lsb), 2u);
    EXPECT_EQ(coefficientWord(2.75 * lsb), 2u);
    EXPECT_EQ(coefficientWord(3.5 * lsb), 3u);
    EXPECT_EQ(coefficientWord(0.999 * lsb), 0u);
    EXPECT_EQ(coefficientWord(-2.5 * lsb), 0x0FFFFFFEu);
    EXPECT_EQ(coefficientWord(-3.5 * lsb), 0x0FFFFFFDu);
    EXPECT_EQ(coefficientWord(-2.75 * lsb), 0x0FFFFFFEu);
    EXPECT_EQ(coefficientWord(-0.999 * lsb), 0u);
    EXPECT_EQ(coefficientWord(0.7), 0x00599999u);  // 5872025.6
    EXPECT_EQ(coefficientWord(-0.7), 0x0FA66667u);
}

TEST(Sos, EqualiserAddresses) {
    EXPECT_EQ(equaliserBandAddress(1, 1), 11);
    EXPECT_EQ(equaliserBandAddress(1, 8), 46);
    EXPECT_EQ(equaliserBandAddress(2, 1), 51);
    EXPECT_EQ(equaliserBandAddress(2, 8), 86);
}

TEST(Sos, SendsItsFiveWordsToItsAddress) {
    TSOS s = designed(kCodeParametricAdaptive, 6, 1000, 2);
    s.DspAddress = 16;
    test::RecordingSink sink;
    s.SendRealTime(sink);
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0].type, RealTimeType::FiveWords);
    EXPECT_EQ(sink.frames[0].address, 16);
    const std::vector<std::uint32_t> expected = {coefficientWord(s.B0), coefficientWord(s.B1),
                                                 coefficientWord(s.B2), coefficientWord(s.A1),
                                                 coefficientWord(s.A2)};
    EXPECT_EQ(sink.frames[0].words, expected);
}

} // namespace
} // namespace vela::dsp
