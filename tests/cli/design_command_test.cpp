// velaupdate design, run as the built program.

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using vela::test::Outcome;
using vela::test::run;

TEST(DesignCommand, BiquadJson) {
    const Outcome r = run("design biquad --type 4 --gain 5 --freq 12000 --q 1 --json");
    EXPECT_EQ(r.code, 0) << r.out;
    // At fs/4 the second-order Butterworth low-pass has B0 = 1 / (2 + sqrt 2) and A1 = 0.
    EXPECT_NE(r.out.find("\"B0\":0.29289321881345"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"FilterType\":4,\"Gain\":0}"), std::string::npos) << r.out;
}

TEST(DesignCommand, CrossoverShowsTheBesselMessage) {
    const Outcome r = run("design crossover --alignment 5 --order 4 --freq 15000 --json --quiet");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"Frequency\":14900,\"SectionCount\":2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Message\":\"Maximum Bessel Cutoff = 14900 for LowPass of order 4\""),
              std::string::npos);
}

TEST(DesignCommand, DynamicsReport) {
    const Outcome r = run("design dynamics");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(
        r.out.find("1 - Max RMS Out Power : 1803.4 Watts\n    Max RMS Out Voltage : 2.930 vrms\nWARNING!!!\n"
                   "The Out Power exceeds your Box Power capacity!\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(run("design dynamics --peak").out.find("1 - Max Peak Voltage : 5.589 Vp"), std::string::npos);
}

TEST(DesignCommand, BadParametersAreUsageErrors) {
    const Outcome r = run("design biquad --type 1 --freq 24000");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("frequency 24000 Hz is outside 0 < f < 24000 Hz"), std::string::npos) << r.out;
    EXPECT_EQ(run("design crossover --alignment 1 --order 9").code, 2);
    EXPECT_EQ(run("design dynamics --compressor --ratio 0").code, 2);
    EXPECT_EQ(run("design dynamics --type 3").code, 2);
    EXPECT_EQ(run("design filter").code, 2);
}

} // namespace
