// rig load as the built program: each --sim cabinet is a simulated unit of its own.
#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using vela::test::has;
using vela::test::Outcome;
using vela::test::run;

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(RigLoad, EveryCabinetCompletesWithItsSummaryAndPowerCycleLineAndExitsZero) {
    const Outcome r = run("--sim rig load --ethernet a --ethernet b:1002 --model M02 --verify");
    ASSERT_EQ(r.code, 0) << r.out;
    // Without a terminal: a line per cabinet and phase.
    EXPECT_TRUE(has(r, "a: writing\n")) << r.out;
    EXPECT_TRUE(has(r, "b:1002: operating system\n")) << r.out;
    EXPECT_TRUE(has(r, "cabinet  result     library       written   OS   verify   time\n")) << r.out;
    EXPECT_TRUE(has(r, "a        completed  M02.HLB       1-4       yes  same     ")) << r.out;
    EXPECT_TRUE(has(r, "a: Turn Off and ON the cabinet.\nb:1002: Turn Off and ON the cabinet.\n")) << r.out;
    EXPECT_TRUE(has(r, "cabinets completed: 2 of 2\n")) << r.out;
}

TEST(RigLoad, EveryCabinetsBackupGetsItsOwnFileNamedAfterTheCabinet) {
    const auto state =
        std::filesystem::temp_directory_path() / ("vela-rig-backup-" + std::to_string(::getpid()));
    // Two cabinets of one model, loaded in the same second.
    const Outcome r = run("--sim rig load --ethernet a --ethernet b --model M02 --backup --json", false,
                          {{}, {vela::test::stateHome(state)}});
    EXPECT_EQ(r.code, 0) << r.out;
    std::vector<std::string> files;
    for (const auto& f : std::filesystem::directory_iterator(vela::test::stateFolderIn(state) / "backups"))
        files.push_back(f.path().filename().string());
    std::filesystem::remove_all(state);
    ASSERT_EQ(files.size(), 4u) << r.out; // each with its checksum
    for (const char* cabinet : {"a", "b"}) {
        const auto file = std::find_if(files.begin(), files.end(), [&](const std::string& f) {
            return f.ends_with(std::string("_ETHERNET_") + cabinet + ".HLB");
        });
        ASSERT_NE(file, files.end()) << cabinet;
        EXPECT_TRUE(has(r, *file + "\"")) << r.out; // the cabinet's row names its own file
    }
}

TEST(RigLoad, JsonGivesAnObjectPerCabinetThenTheSummaryAndASkippedCabinetFailsTheRun) {
    // A simulated unit reports no model: with --model auto it is skipped.
    const Outcome r = run("--sim rig load --ethernet a --ethernet b --json", false);
    EXPECT_EQ(r.code, 1);
    ASSERT_EQ(lines(r.out), 3) << r.out;
    EXPECT_EQ(r.out.rfind("{\"cabinet\":\"a\",\"outcome\":\"skipped\",\"phase\":\"library\",\"written\":[],"
                          "\"operatingSystem\":false,\"error\":\"the unit reports no model; --model NAME names one "
                          "for every cabinet\",\"seconds\":",
                          0),
              0u)
        << r.out;
    EXPECT_TRUE(has(r, "\n{\"cabinets\":2,\"completed\":0,\"notCompleted\":2}\n")) << r.out;
}

TEST(RigLoad, WrongOptionsAreUsageErrorsBeforeAnythingIsSent) {
    for (const char* line : {"--sim rig load", "--sim rig load --ethernet a --model X99",
                             "--sim rig load --ethernet a --jobs 0", "--sim rig bogus", "--sim rig",
                             "--sim rig load --addresses /nonexistent/rig.txt", "--sim rig load extra --ethernet a"}) {
        const Outcome r = run(line);
        EXPECT_EQ(r.code, 2) << line << "\n" << r.out;
        EXPECT_FALSE(has(r, "writing")) << line;
    }
}

TEST(RigLoad, AnAddressFileAndALogWithASectionPerCabinet) {
    const auto dir = std::filesystem::temp_directory_path() / ("vela-rig-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream list(dir / "rig.txt");
        list << "# the left hang\ncab1\n\n  cab2:1002  # sub\n";
    }
    const Outcome r = run("--sim --quiet rig load --model M01 --jobs 1 --addresses " + (dir / "rig.txt").string() +
                          " --log " + (dir / "rig.log").string());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r, "cabinets completed: 2 of 2")) << r.out;
    std::string log;
    {
        std::ifstream in(dir / "rig.log");
        log.assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_NE(log.find("[cab1] "), std::string::npos) << log;
    EXPECT_NE(log.find("[cab2:1002] "), std::string::npos) << log;
    EXPECT_NE(log.find("[cab2:1002] outcome: completed"), std::string::npos) << log;
    std::filesystem::remove_all(dir);
}

} // namespace
