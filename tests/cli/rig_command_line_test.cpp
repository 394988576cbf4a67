// velaupdate sim --rig and rig scan as the built program, on loopback only.
#include "support/velaupdate_process.h"
#include "support/wine.h"

#include <gtest/gtest.h>

namespace {

using vela::test::hasRow;
using vela::test::portOf;
using vela::test::run;
using vela::test::SimProcess;

TEST(SimRig, ModelsRepeatOverTheRigAndAFaultStaysWithItsCabinet) {
    if (vela::test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    SimProcess sim("--rig 4 --rig-models M09,empty,99 --rig-fault 3:silent --udp 0");
    const std::string discovery = sim.line();
    ASSERT_NE(discovery.find("UDP 127.0.0.1:"), std::string::npos) << discovery;
    EXPECT_NE(discovery.find("discovery of 4 cabinets"), std::string::npos) << discovery;
    std::vector<std::string> cabinets;
    for (int k = 0; k < 4; ++k) cabinets.push_back(sim.line());
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(cabinets[k].rfind("TCP 127.0.0." + std::to_string(k + 2) + ":" + portOf(cabinets[0]) + " (CAB0" +
                                        std::to_string(k + 1), 0), 0u)
            << cabinets[k];
    EXPECT_NE(cabinets[3].find("module reports M09"), std::string::npos) << "the list starts again: " << cabinets[3];

    const auto r = run("rig scan --broadcast 127.0.0.1 --port " + portOf(discovery) + " --tcp-port " +
                       portOf(cabinets[0]) + " --scan-time 500", false);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB01 ", {" locked ", " M09"})) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB02 ", {" free ", " empty"})) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB03 ", {" - ", " not read: "})) << r.out;
    EXPECT_TRUE(hasRow(r.out, "CAB04 ", {" locked ", " M09"})) << r.out;
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SimRig, RefusesWhatARigCannotBe) {
    for (const char* options : {"--rig 0", "--rig 254", "--rig 2 --pty", "--rig 2 --module A,M09,X --udp 0",
                                "--rig 2 --rig-models M09,,M01", "--rig 2 --rig-models 256",
                                "--rig 2 --rig-fault 3:silent", "--rig 2 --rig-fault 1:protect=0",
                                "--rig-fault 1:silent --tcp 0", "--rig-models M09 --tcp 0"})
        EXPECT_EQ(run(std::string("sim ") + options).code, 2) << options;
}

}  // namespace
