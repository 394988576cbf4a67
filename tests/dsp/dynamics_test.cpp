// The dynamics designer: level axis, static curve, gain table, gate, New defaults
// and the gain-table real-time send.

#include "dsp/coefficient_word.h"
#include "dsp/design_error.h"
#include "dsp/dynamics.h"
#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace vela::dsp {
namespace {

using test::kFs;

// The gain of a level change in dB, as a linear factor.
double gainOf(double db) {
    return std::pow(10.0, db / 20.0);
}

TDYNAMIC rmsAfterNew() {
    TDYNAMIC d;
    d.ApplyRmsDefaults(kFs);
    return d;
}

// Table entry j is the input level -96 + 3j dB.
constexpr std::size_t entry(int db) {
    return static_cast<std::size_t>((db + 96) / 3);
}

TEST(Dynamics, ConstructionDefaults) {
    const TDYNAMIC d;
    EXPECT_EQ(d.ThresholdDb, -23.0f);
    EXPECT_EQ(d.Ratio, 1.0f);
    EXPECT_EQ(d.GateSetting, -83.0f);
    EXPECT_EQ(d.GateRamp, -98.0f);
    EXPECT_EQ(d.ImpedanceOhm, 8.0f);
    EXPECT_EQ(d.BoxPowerW, 400.0f);
    EXPECT_EQ(d.AmpGain, 41.0f);
    EXPECT_EQ(d.AmpPowerW, 600.0f);
    EXPECT_TRUE(d.AmpBridgeMode);
    EXPECT_EQ(d.AuxCount, 1);
    EXPECT_EQ(d.CompressorOn, 0);
    EXPECT_EQ(d.ShapeDb, 4.0f);
    EXPECT_FALSE(d.Bypass);
    EXPECT_TRUE(d.AuxFlag);
    EXPECT_EQ(d.PointCount, 93);
    EXPECT_EQ(d.AuxValue, 10.0f);
    EXPECT_EQ(d.SideChainFrequency, 1000);
    // The constructor computed the curve: the coarse grid ends at 0 dB.
    EXPECT_EQ(d.LevelDb[92], 0.0f);
    EXPECT_EQ(d.LevelDb[60], -96.0f);
}

TEST(Dynamics, LevelAxisIsARampThenTheCoarseGrid) {
    TDYNAMIC d;
    d.FillLevelAxis(93, 1.0, 0.1);
    EXPECT_FLOAT_EQ(d.LevelLin[1], 0.1f);
    EXPECT_FLOAT_EQ(d.LevelDb[1], -20.0f);
    EXPECT_FLOAT_EQ(d.LevelLin[2], static_cast<float>(0.1 + 0.9 / 60));
    EXPECT_FLOAT_EQ(d.LevelLin[59], static_cast<float>(0.1 + 58 * 0.9 / 60));
    for (int j = 0; j <= 32; ++j) {
        EXPECT_EQ(d.LevelDb[static_cast<std::size_t>(60 + j)], static_cast<float>(-96 + 3 * j));
        EXPECT_FLOAT_EQ(d.LevelLin[static_cast<std::size_t>(60 + j)],
                        static_cast<float>(gainOf(-96 + 3 * j)));
    }
    EXPECT_THROW(d.FillLevelAxis(33, 1.0, 0.1), DesignError);
    EXPECT_THROW(d.FillLevelAxis(257, 1.0, 0.1), DesignError);
}

TEST(Dynamics, CompressorTableFigures) {
    TDYNAMIC d = rmsAfterNew();
    d.CompressorOn = 1;
    d.BuildGainTable();
    for (int db = -96; db <= -12; db += 3)
        EXPECT_EQ(d.GainTable[entry(db)], 1.0) << db;
    // Inside the knee y = x - (x + 2)^2 / 32; above it the slope is 1/2.
    EXPECT_NEAR(d.GainTable[entry(-9)], gainOf(-0.03125), 1e-6);
    EXPECT_NEAR(d.GainTable[entry(-6)], gainOf(-0.5), 1e-6);
    EXPECT_NEAR(d.GainTable[entry(-3)], gainOf(-1.53125), 1e-6);
    EXPECT_NEAR(d.GainTable[entry(0)], gainOf(-3.0), 1e-6);
    // Entries are single-precision values.
    for (const double g : d.GainTable)
        EXPECT_EQ(g, static_cast<double>(static_cast<float>(g)));
}

TEST(Dynamics, CompressorSlopeAboveTheKneeIsOneOverTheRatio) {
    for (const float ratio : {1.5f, 2.0f, 4.0f, 10.0f}) {
        TDYNAMIC d = rmsAfterNew();
        d.CompressorOn = 1;
        d.ThresholdDb = -30;
        d.ShapeDb = 2;
        d.Ratio = ratio;
        d.BuildGainTable();
        for (int db = -24; db < 0; db += 3) {
            const double in = 3.0,
                         out = 20 * std::log10(d.GainTable[entry(db + 3)] / d.GainTable[entry(db)]) + in;
            EXPECT_NEAR(out, in / ratio, 1e-4) << ratio << " at " << db;
        }
    }
}

TEST(Dynamics, LimiterHoldsTheOutputAtTheThreshold) {
    TDYNAMIC d = rmsAfterNew();
    d.CurveGainDb = 1.5f;
    d.ThresholdDb = -20;
    d.BuildGainTable();
    const double C = static_cast<double>(d.LevelDb[1]) + d.ShapeDb;
    EXPECT_NEAR(C, -20.0, 1e-5);
    for (int i = 1; i < d.PointCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (d.LevelDb[k] > C + d.ShapeDb) {
            EXPECT_NEAR(d.OutDb[k], C + 1.5, 1e-5) << d.LevelDb[k];
        }
    }
    EXPECT_NEAR(d.GainTable[entry(0)], gainOf(-20 + 1.5), 1e-6);
    EXPECT_NEAR(d.GainTable[entry(-9)], gainOf(-20 + 1.5 + 9), 1e-6);
}

TEST(Dynamics, NarrowKneeUsesPointTwo) {
    // With ShapeDb 0.3 the half-width is 0.2: at the threshold y = x - (A-1)... = -6 - 0.5*0.04/0.8.
    TDYNAMIC d = rmsAfterNew();
    d.CompressorOn = 1;
    d.ShapeDb = 0.3f;
    d.BuildGainTable();
    const double C = static_cast<double>(d.LevelDb[1]) + d.ShapeDb;
    const double expected = -6.0 - 0.5 * std::pow(-6.0 - C + 0.2, 2) / 0.8 - (-6.0);
    EXPECT_NEAR(20 * std::log10(d.GainTable[entry(-6)]), expected, 1e-5);
    EXPECT_NEAR(expected, -0.025, 1e-5);
}

TEST(Dynamics, TheCoarseTableNeverRisesWithLevel) {
    for (const float threshold : {-40.0f, -17.5f, -6.0f, -1.0f})
        for (const float shape : {0.0f, 2.0f, 10.0f})
            for (const int comp : {0, 1}) {
                TDYNAMIC d = rmsAfterNew();
                d.ThresholdDb = threshold;
                d.ShapeDb = shape;
                d.CompressorOn = static_cast<std::uint8_t>(comp);
                d.BuildGainTable();
                for (int j = 0; j < 32; ++j) {
                    const double g = d.GainTable[static_cast<std::size_t>(j)];
                    EXPECT_TRUE(g == 1.0 || g > d.GainTable[static_cast<std::size_t>(j + 1)])
                        << threshold << " " << j;
                    EXPECT_LE(g, 1.0);
                }
            }
}

TEST(Dynamics, BypassIsUnity) {
    TDYNAMIC d = rmsAfterNew();
    d.Bypass = true;
    d.BuildGainTable();
    for (const double g : d.GainTable)
        EXPECT_EQ(g, 1.0);
}

TEST(Dynamics, ZeroThresholdBecomesMinusAThousandth) {
    TDYNAMIC d = rmsAfterNew();
    d.ThresholdDb = 0.0f;
    d.BuildGainTable();
    EXPECT_EQ(d.ThresholdDb, -0.001f);
}

TEST(Dynamics, GateMutesAndRamps) {
    TDYNAMIC plain = rmsAfterNew();
    TDYNAMIC d = rmsAfterNew();
    d.GateSetting = 10;
    d.GateRamp = 4;
    d.BuildGainTable();
    for (int j = 0; j <= 5; ++j)
        EXPECT_EQ(d.GainTable[static_cast<std::size_t>(j)], 0.0) << j;
    EXPECT_EQ(d.GainTable[6], 0.25);
    EXPECT_EQ(d.GainTable[7], 0.5);
    EXPECT_EQ(d.GainTable[8], 0.75);
    EXPECT_EQ(d.GainTable[9], 1.0);
    for (std::size_t j = 10; j < 33; ++j)
        EXPECT_EQ(d.GainTable[j], plain.GainTable[j]);

    // A ramp longer than the gate position starts at entry 0 and stops short of 1.
    d.GateSetting = 2;
    d.GateRamp = 4;
    d.BuildGainTable();
    EXPECT_EQ(d.GainTable[0], 0.25);
    EXPECT_EQ(d.GainTable[1], 0.5);
    EXPECT_EQ(d.GainTable[2], plain.GainTable[2]);
}

TEST(Dynamics, BadParametersAreRefused) {
    TDYNAMIC d = rmsAfterNew();
    const auto table = d.GainTable;
    d.CompressorOn = 1;
    d.Ratio = 0;
    EXPECT_THROW(d.BuildGainTable(), DesignError);
    d.Ratio = -2;
    EXPECT_THROW(d.BuildGainTable(), DesignError);
    EXPECT_EQ(d.GainTable, table);
    d.CompressorOn = 0; // the limiter never reads the ratio
    EXPECT_NO_THROW(d.BuildGainTable());

    TDYNAMIC g = rmsAfterNew();
    g.GateSetting = 34;
    EXPECT_THROW(g.BuildGainTable(), DesignError);
    g.GateSetting = -83; // the constructor's value, never built by the editors
    EXPECT_THROW(g.BuildGainTable(), DesignError);
    g.GateSetting = 5;
    g.GateRamp = 0;
    EXPECT_THROW(g.BuildGainTable(), DesignError);
    g.GateSetting = 0;
    EXPECT_NO_THROW(g.BuildGainTable());

    // Far outside the editors' ranges the level axis underflows or the curve overflows.
    TDYNAMIC c = rmsAfterNew();
    for (const auto& [threshold, knee, gain] : {std::tuple{-1000.0f, 4.0f, 0.0f}, std::tuple{-6.0f, 1e30f, 0.0f},
                                                std::tuple{-6.0f, 4.0f, 1e30f}}) {
        c.ThresholdDb = threshold;
        c.ShapeDb = knee;
        c.CurveGainDb = gain;
        EXPECT_THROW(c.BuildGainTable(), DesignError) << threshold << " " << knee << " " << gain;
        EXPECT_EQ(c.GainTable, table);
        EXPECT_EQ(c.ThresholdDb, threshold);
    }

    TDYNAMIC p = rmsAfterNew();
    p.PointCount = 300;
    EXPECT_THROW(p.BuildGainTable(), DesignError);
    p.PointCount = 34;
    EXPECT_NO_THROW(p.BuildGainTable());
}

TEST(Dynamics, NewDefaults) {
    const TDYNAMIC rms = rmsAfterNew();
    EXPECT_EQ(rms.ThresholdDb, -6.0f);
    EXPECT_EQ(rms.Ratio, 2.0f);
    EXPECT_EQ(rms.GateSetting, 0.0f);
    EXPECT_EQ(rms.GateRamp, 2.0f);
    EXPECT_EQ(rms.AuxValue, 12.5f);
    EXPECT_NEAR(rms.TimeConstantCoef, 0.00047959, 1e-8);
    EXPECT_NEAR(rms.RmsTime(kFs), 100.0, 1e-9);
    EXPECT_EQ(rms.WindowSamples, 3360);
    EXPECT_EQ(rms.RateCode, 22);
    EXPECT_NEAR(rms.Decay(), 3.014, 1e-12);
    EXPECT_EQ(rms.ScaleCoef, 1.033);
    EXPECT_EQ(rms.SideChainLow.FilterType, kCodeLowPassButterworth);
    EXPECT_EQ(rms.SideChainHigh.FilterType, kCodeHighPassButterworth);
    EXPECT_NEAR(test::dB(test::responseAt(rms.SideChainLow, 1000)), -3.0103, 1e-4);

    TDYNAMIC peak;
    peak.CompressorOn = 1;
    peak.ApplyPeakDefaults(kFs);
    EXPECT_EQ(peak.CompressorOn, 0);
    EXPECT_EQ(peak.GateRamp, 4.0f);
    EXPECT_EQ(peak.WindowSamples, 480);
    EXPECT_EQ(peak.RateCode, 365);
    EXPECT_DOUBLE_EQ(peak.HoldMs(kFs), 10.0);
    EXPECT_EQ(peak.TimeConstantCoef, 0.0);
}

TEST(Dynamics, GainTableSendLandsEntryJAtBasePlusJ) {
    TDYNAMIC d = rmsAfterNew();
    d.CompressorOn = 1;
    d.GateSetting = 10;
    d.BuildGainTable();
    const auto words = d.GainTableWords();
    for (const int object : {1, 2}) {
        test::RecordingSink sink;
        d.SendGainTable(sink, object);
        const int base = object == 1 ? 173 : 211;
        EXPECT_EQ(sink.targetChanges, 1);
        ASSERT_EQ(sink.frames.size(), 9u);
        std::vector<std::uint32_t> landed(33);
        for (std::size_t f = 0; f < sink.frames.size(); ++f) {
            const auto& frame = sink.frames[f];
            EXPECT_EQ(frame.target, 0); // the selector was set to 0 first
            EXPECT_EQ(frame.type, f < 3 ? RealTimeType::OneWord : RealTimeType::FiveWords);
            EXPECT_EQ(frame.words.size(), f < 3 ? 1u : 5u);
            EXPECT_EQ(frame.address,
                      f < 3 ? base + static_cast<int>(f) : base + 3 + 5 * static_cast<int>(f - 3));
            for (std::size_t w = 0; w < frame.words.size(); ++w)
                landed[frame.address - base + w] = frame.words[w];
        }
        EXPECT_EQ(landed, std::vector<std::uint32_t>(words.begin(), words.end()));
    }
    EXPECT_EQ(words[0], 0u);
    EXPECT_EQ(words[32], coefficientWord(d.GainTable[32]));
    test::RecordingSink sink;
    EXPECT_THROW(d.SendGainTable(sink, 3), DesignError);
}

} // namespace
} // namespace vela::dsp
