// rig load without addresses: every cabinet the scan finds, each with its own model's library,
// against velaupdate sim --rig on loopback only.
#include "support/velaupdate_process.h"
#include "support/wine.h"

#include <gtest/gtest.h>

namespace {

using vela::test::has;
using vela::test::hasRow;
using vela::test::portOf;
using vela::test::run;
using vela::test::SimProcess;

// A simulated rig of `cabinets` cabinets started with `options`, and the scan options that reach it.
struct ScannedRig {
    ScannedRig(const std::string& options, int cabinets) : sim(options) {
        const std::string discovery = sim.line();
        const std::string first = sim.line();
        for (int k = 1; k < cabinets; ++k) sim.line();
        scanOptions = " --broadcast 127.0.0.1 --port " + portOf(discovery) + " --tcp-port " + portOf(first) +
                      " --scan-time 500";
    }
    SimProcess sim;
    std::string scanOptions;
};

// A simulated rig of three cabinets, M09, M02 and an M09 whose memory 3 refuses writes. The
// program takes them for real units: --force lets the built-in operating system go to them.
struct RigLoadScan : ::testing::Test {
    ScannedRig rig{"--rig 3 --rig-models M09,M02,M09 --rig-fault 3:protect=3 --udp 0", 3};
    const std::string& scanOptions = rig.scanOptions;
    void SetUp() override {
        if (vela::test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    }
};

TEST_F(RigLoadScan, LoadsEveryCabinetFoundWithItsOwnModelsLibrary) {
    const auto r = run("rig load --force" + scanOptions);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "CAB01 (127.0.0.2): writing\n")) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB01 (127.0.0.2) ", {" completed ", " M09.HLB "})) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB02 (127.0.0.3) ", {" completed ", " M02.HLB "})) << r.out;
    // The memory that refused is said as such, once, not as a lost link to connect again.
    EXPECT_TRUE(hasRow(r.out, "CAB03 (127.0.0.4) ", {" failed ", " M09.HLB ", " 1-2 ", " no "})) << r.out;
    EXPECT_TRUE(has(r, "CAB03 (127.0.0.4): Memory 3 is protected: unprotect it on the processor, then run the "
                       "update again. Memories written: 1, 2; memories 3 to 4 keep their old programs; the DSP "
                       "Operating System was not updated.\n"))
        << r.out;
    EXPECT_FALSE(has(r, "MEMORY PROTECTED")) << r.out;
    EXPECT_FALSE(has(r, "Connect the cabinet")) << r.out;
    EXPECT_TRUE(has(r, "CAB01 (127.0.0.2): Turn Off and ON the cabinet.\n")) << r.out;
    EXPECT_FALSE(has(r, "CAB03 (127.0.0.4): Turn Off and ON")) << r.out;
    EXPECT_TRUE(has(r, "cabinets completed: 2 of 3\n")) << r.out;
}

TEST_F(RigLoadScan, ModelNameKeepsOnlyThatModelsModulesAndIsTheirLibrary) {
    const auto r = run("rig load --force --model m02 --json" + scanOptions, false);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r, "{\"cabinet\":\"CAB02 (127.0.0.3)\",\"outcome\":\"completed\"")) << r.out;
    EXPECT_TRUE(has(r, "\"library\":\"M02.HLB\"")) << r.out;
    EXPECT_FALSE(has(r, "CAB01")) << r.out;
    EXPECT_TRUE(has(r, "{\"cabinets\":1,\"completed\":1,\"notCompleted\":0}")) << r.out;
}

TEST_F(RigLoadScan, NoCabinetFoundIsExitOneAndSaysSo) {
    // Nothing of this catalogue's other models answers.
    const auto r = run("rig load --force --model M01" + scanOptions);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "No Devices Found")) << r.out;
    EXPECT_FALSE(has(r, "cabinets completed")) << r.out;
}

// Blank cabinets (a unit that reports no model) are what an installer loads: --model NAME
// reaches those whose module reports no model of the catalogue, and leaves a blank cabinet
// whose module reports another model, and every cabinet of another model, alone.
TEST(RigLoadScanBlank, ModelNameLoadsTheBlankCabinetsTooButNoneOfAnotherModel) {
    if (vela::test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    ScannedRig rig("--rig 4 --rig-models M09,empty,M02,M09 --rig-fault 4:empty --udp 0", 4);
    const auto r = run("rig load --force --model M02" + rig.scanOptions);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB02 (127.0.0.3) ", {" completed ", " M02.HLB ", " 1-4 "})) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB03 (127.0.0.4) ", {" completed ", " M02.HLB "})) << r.out;
    EXPECT_FALSE(has(r, "CAB01")) << r.out;
    EXPECT_FALSE(has(r, "CAB04")) << r.out;
    EXPECT_TRUE(has(r, "cabinets completed: 2 of 2\n")) << r.out;
    // The blank cabinet now reports the model it was loaded with.
    const auto scan = run("rig scan" + rig.scanOptions);
    EXPECT_TRUE(hasRow(scan.out, "CAB02 ", {" locked ", " M02"})) << scan.out;
    EXPECT_TRUE(hasRow(scan.out, "CAB04 ", {" M09 ", " empty"})) << scan.out;
}

}  // namespace
