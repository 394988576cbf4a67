// The unit commands and the simulated unit as a user runs them: the built program, with
// --sim in-process or against "velaupdate sim" on a pseudo-terminal and TCP on 127.0.0.1.

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using vela::test::has;
using vela::test::Outcome;
using vela::test::run;
using vela::test::SimProcess;

std::string programImage() {
    const std::string path = ::testing::TempDir() + "vela-image-" + std::to_string(::getpid()) + ".bin";
    std::string bytes(3570, '\0');
    bytes[0] = 0x0D;
    bytes[1] = static_cast<char>(0xF0);
    bytes[4] = 5;
    const std::string name = "Stage Left";
    bytes.replace(12, name.size(), name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(SimOption, ProbeReadAndWriteWorkWithNoHardware) {
    const Outcome probe = run("--sim probe --json", false);
    EXPECT_EQ(probe.code, 0);
    EXPECT_EQ(probe.out, "{\"link\":\"USB\",\"answered\":true,\"unitEmpty\":false,\"modelCode\":1,\"modelListEnabled\":true}\n");

    const Outcome read = run("--sim read 4 --json --quiet");
    EXPECT_EQ(read.code, 0) << read.out;
    EXPECT_EQ(read.out, "{\"memory\":4,\"program\":true,\"length\":3570,\"modelCode\":1,\"name\":\"MEMORY 4\"}\n");

    const std::string image = programImage();
    EXPECT_EQ(run("--sim write 5 --image " + image + " --yes --quiet").code, 0);
    std::remove(image.c_str());
}

TEST(SimOption, QuestionsWithoutATerminalAreDeclined) {
    const std::string image = programImage();
    const Outcome r = run("--sim write 5 --image " + image);
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(has(r, "The memory 5 have a preset stored. Do you want to overwrite it?")) << r.out;
    EXPECT_EQ(run("--sim reset").code, 4);
    EXPECT_EQ(run("--sim lock --yes --quiet").code, 0);
    std::remove(image.c_str());
}

TEST(UsageErrors, AreRefusedBeforeTheUnitIsTouched) {
    EXPECT_EQ(run("--sim password 12345678").code, 2);
    EXPECT_EQ(run("--sim change 0").code, 2);
    EXPECT_EQ(run("--offline lock --yes").code, 2);
    EXPECT_EQ(run("--ethernet=127.0.0.1:1 lock --yes").code, 2);
    EXPECT_EQ(run("--sim write 3 --image /nonexistent --yes").code, 3);
    EXPECT_EQ(run("sim --fault sideways").code, 2);
}

TEST(Devices, NamesPortsAsUsersTypeThem) {
    // Windows lists its ports as device paths (\\.\COM5); --serial and --usb take COM5.
    const Outcome r = run("devices --json", false);
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(has(r, "\"\\\\\\\\.\\\\")) << r.out;
}

TEST(UpdateDsp, SendsTheStandInOnlyToTheSimulatedUnit) {
    EXPECT_EQ(run("--sim update-dsp --yes --quiet").code, 0);
    const Outcome refused = run("--usb=/dev/null update-dsp --yes");
    EXPECT_EQ(refused.code, 3);
    EXPECT_TRUE(has(refused, "is a stand-in")) << refused.out;
}

TEST(SimCommand, ServesAPseudoTerminalAndTcpUntilInterrupted) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    const std::string trace = ::testing::TempDir() + "vela-trace-" + std::to_string(::getpid()) + ".jsonl";
    SimProcess sim("--pty --tcp 0 --model-code 4 --protect 3 --trace " + trace);
    const std::string pty = sim.line();
    const std::string tcp = sim.line();
    ASSERT_EQ(pty.rfind("PTY /dev/", 0), 0u) << pty;
    ASSERT_EQ(tcp.rfind("TCP 127.0.0.1:", 0), 0u) << tcp;
    const std::string path = pty.substr(4);
    const std::string host = tcp.substr(4);

    const Outcome usb = run("--usb=" + path + " probe", false);
    EXPECT_EQ(usb.code, 0);
    EXPECT_TRUE(has(usb, "model code 4")) << usb.out;
    EXPECT_EQ(run("--serial=" + path + " probe --quiet").code, 0);
    // The real-time frame has to reach the unit over TCP too, not only be printed.
    const Outcome frame = run("--ethernet=" + host + " realtime --address 2 --value 65792 --yes --quiet", false);
    EXPECT_EQ(frame.code, 0);
    EXPECT_EQ(frame.out, "65 12 01 02 00 02 00 01 01 00 55\n");
    const Outcome eth = run("--ethernet=" + host + " read 2 --json", false);
    EXPECT_EQ(eth.out, "{\"memory\":2,\"program\":true,\"length\":3570,\"modelCode\":4,\"name\":\"MEMORY 2\"}\n");
    const std::string image = programImage();
    EXPECT_EQ(run("--usb=" + path + " write 3 --image " + image + " --yes --quiet").code, 1);  // protected
    std::remove(image.c_str());
    EXPECT_EQ(sim.stop(), 0);
    std::ifstream in(trace);
    const std::string records((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(records.find("\"kind\":\"realtime\",\"outcome\":\"ok\",\"host\":\"65 12 01 02 00 02 00 01 01 00 55\"") !=
                std::string::npos)
        << records;
    std::remove(trace.c_str());
}

TEST(EthernetConnect, ReachesTheUnitOnTheTcpPortGivenAndNotOnTheDefault) {
    // A unit listening on a port of its own: only --tcp-port leads there.
    SimProcess sim("--tcp 0");
    const std::string tcp = sim.line();
    ASSERT_EQ(tcp.rfind("TCP 127.0.0.1:", 0), 0u) << tcp;
    const std::string port = tcp.substr(tcp.rfind(':') + 1);
    ASSERT_NE(port, "1001");
    const Outcome given = run("ethernet connect --ip 127.0.0.1 --tcp-port " + port + " --json", false);
    EXPECT_EQ(given.code, 0) << given.out;
    EXPECT_TRUE(has(given, "\"status\":\"ETHERNET: Connected with")) << given.out;
    const Outcome fallback = run("ethernet connect --ip 127.0.0.1 --json", false);
    EXPECT_NE(fallback.code, 0) << fallback.out;
    EXPECT_FALSE(has(fallback, "ETHERNET: Connected")) << fallback.out;
}

}  // namespace
