// The dynamics power checks with the figures of the defaults after New.

#include "dsp/power_check.h"
#include "dsp_test_util.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace vela::dsp {
namespace {

using test::kFs;

TEST(PowerCheck, RmsWithTheDefaultsAfterNew) {
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kFs);
    const RmsPowerReport r = PowerCheckRms(rms);
    EXPECT_NEAR(r.LevelDbu, 11.55, 1e-4);
    EXPECT_NEAR(r.VoltageRms, 2.930, 5e-4);
    EXPECT_NEAR(r.PowerW, 1803.4, 0.05);
    EXPECT_EQ(r.PowerLine, "1 - Max RMS Out Power : 1803.4 Watts");
    EXPECT_EQ(r.VoltageLine, "    Max RMS Out Voltage : 2.930 vrms");
    EXPECT_EQ(r.ShortForm, "1803.4 W");
    EXPECT_TRUE(r.ExceedsBoxPower);
    EXPECT_EQ(r.WarningLine1, "WARNING!!!");
    EXPECT_EQ(r.WarningLine2, "The Out Power exceeds your Box Power capacity!");
    EXPECT_EQ(r.WarningColour, 255);
    // sqrt(400 * 8) / (41 * 0.775) is 1.780 V, 5.01 dBu.
    EXPECT_NEAR(r.BoxPowerInputDbu, 20 * std::log10(std::sqrt(3200.0) / (41 * 0.775)), 1e-12);
}

TEST(PowerCheck, WithinTheBoxTheWarningStaysCalm) {
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kFs);
    rms.ThresholdDb = -20;
    rms.BuildGainTable();
    const RmsPowerReport r = PowerCheckRms(rms);
    EXPECT_LE(r.PowerW, 400.0);
    EXPECT_FALSE(r.ExceedsBoxPower);
    EXPECT_EQ(r.WarningLine1, "WARNING!!!");
    EXPECT_EQ(r.WarningLine2, "");
    EXPECT_EQ(r.WarningColour, 128);
}

TEST(PowerCheck, BypassAssumesEighteenDbuAndTheLevelIsCapped) {
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kFs);
    rms.Bypass = true;
    rms.BuildGainTable();
    EXPECT_EQ(PowerCheckRms(rms).LevelDbu, 18.0);
    rms.Bypass = false;
    rms.CurveGainDb = 12;
    rms.ThresholdDb = -1;
    rms.BuildGainTable();
    EXPECT_EQ(PowerCheckRms(rms).LevelDbu, 18.0);
}

TEST(PowerCheck, WithoutBridgeModeAQuarterOfThePower) {
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kFs);
    const RmsPowerReport bridged = PowerCheckRms(rms);
    rms.AmpBridgeMode = false;
    const RmsPowerReport single = PowerCheckRms(rms);
    EXPECT_NEAR(single.PowerW, bridged.PowerW / 4, 1e-9);
    EXPECT_NEAR(single.VoltageRms, bridged.VoltageRms / 2, 1e-12);
}

TEST(PowerCheck, PeakWithTheDefaultsAfterNew) {
    TDYNAMIC rms, peak;
    rms.ApplyRmsDefaults(kFs);
    peak.ApplyPeakDefaults(kFs);
    const PeakPowerReport r = PowerCheckPeak(peak, rms);
    EXPECT_NEAR(r.LevelDbu, 14.15, 1e-4);
    EXPECT_NEAR(r.VoltagePeak, 5.589, 5e-4);
    EXPECT_EQ(r.Line, "1 - Max Peak Voltage : 5.589 Vp");
    // The bridge mode that counts is the RMS object's.
    peak.AmpBridgeMode = false;
    EXPECT_EQ(PowerCheckPeak(peak, rms).Line, r.Line);
    rms.AmpBridgeMode = false;
    EXPECT_NEAR(PowerCheckPeak(peak, rms).VoltagePeak, r.VoltagePeak / 2, 1e-12);
}

TEST(PowerCheck, ReportsUseAPointWhateverTheLocale) {
    const char* const locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"};
    const char* chosen = nullptr;
    for (const char* l : locales)
        if (std::setlocale(LC_ALL, l)) {
            chosen = l;
            break;
        }
    TDYNAMIC rms;
    rms.ApplyRmsDefaults(kFs);
    const RmsPowerReport r = PowerCheckRms(rms);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(r.PowerLine, "1 - Max RMS Out Power : 1803.4 Watts") << (chosen ? chosen : "no other locale");
}

} // namespace
} // namespace vela::dsp
