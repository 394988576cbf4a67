// The main job as an installer runs it: the built program building libraries from preset
// files and loading them into the simulated unit, in-process and over a pseudo-terminal.

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using vela::test::has;
using vela::test::Outcome;
using vela::test::run;
using vela::test::SimProcess;

struct WorkDir {
    fs::path path = fs::temp_directory_path() /
                    ("vela-libcli-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    WorkDir() { fs::create_directories(path); }
    ~WorkDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }

    // Preset files named "Program 1" ... with a band that makes each one's image differ.
    std::vector<std::string> presets(int count) const {
        std::vector<std::string> files;
        for (int k = 1; k <= count; ++k) {
            const std::string file = (path / ("p" + std::to_string(k) + ".hdp")).string();
            EXPECT_EQ(run("--quiet preset new --out " + file).code, 0);
            EXPECT_EQ(run("--quiet preset set " + file + " 'name=Program " + std::to_string(k) +
                          "' 'eq.1.1.type=Parametric Q const' eq.1.1.gain=" + std::to_string(k % 10) + " eq.1.1.freq=" +
                          std::to_string(100 * k))
                          .code,
                      0);
            files.push_back(file);
        }
        return files;
    }
};

std::string joined(const std::vector<std::string>& files) {
    std::string s;
    for (const auto& f : files) s += " " + f;
    return s;
}

std::vector<unsigned char> bytesOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ModelsCommand, ListsTheCatalogue) {
    const Outcome r = run("models --json", false);
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(has(r, "{\"row\":28,\"modelCode\":30,\"name\":\"M06ps2\",\"library\":\"M06ps2.HLB\",\"manual\":\"M06ps.pdf\"}"));
    EXPECT_TRUE(has(r, "\"name\":\"M02 Display \""));
}

TEST(LibraryBuild, FourteenFilesGiveTheMessageAndThirteenPrograms) {
    WorkDir dir;
    const auto files = dir.presets(14);
    const Outcome build = run("library build --out " + (dir / "L.HLB") + joined(files));
    ASSERT_EQ(build.code, 0) << build.out;
    EXPECT_TRUE(has(build, "You are selecting more than 13 memories. Only the first 13 memories will be read."));
    const Outcome show = run("library show " + (dir / "L.HLB") + " --json", false);
    EXPECT_TRUE(has(show, "\"count\":13")) << show.out;
    EXPECT_TRUE(has(show, "{\"memory\":13,\"length\":3568,\"name\":\"Program 13\"}")) << show.out;

    const auto bytes = bytesOf(dir / "L.HLB");
    ASSERT_EQ(bytes.size(), 57121u);
    EXPECT_EQ(bytes[0], 13);
    EXPECT_EQ(bytes[1], 0x0D);
    EXPECT_EQ(bytes[2], 0xF0);
    for (std::size_t i = 1 + 13 * 3570; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(LibraryBuild, EachProgramIsItsPresetAloneWhateverCameBefore) {
    WorkDir dir;
    const std::string first = dir / "custom.hdp", second = dir / "plain-custom.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + first).code, 0);
    ASSERT_EQ(run("--quiet preset set " + first +
                  " xover.1.low.alignment=Custom xover.1.low.section.1.freq=300 xover.1.low.section.1.q=2")
                  .code,
              0);
    ASSERT_EQ(run("--quiet preset new --out " + second).code, 0);
    ASSERT_EQ(run("--quiet preset set " + second + " xover.1.low.alignment=Custom").code, 0);
    ASSERT_EQ(run("--quiet library build --out " + (dir / "L.HLB") + " " + first + " " + second).code, 0);
    ASSERT_EQ(run("--quiet preset image " + second + " --out " + (dir / "second.bin")).code, 0);
    const auto library = bytesOf(dir / "L.HLB");
    const auto image = bytesOf(dir / "second.bin");
    ASSERT_EQ(image.size(), 3570u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), library.begin() + 1 + 3570));
}

TEST(LibraryBuild, ARefusedPresetSavesNothing) {
    WorkDir dir;
    auto files = dir.presets(2);
    std::ofstream(dir / "bad.hdp") << "not a preset";
    files.insert(files.begin() + 1, dir / "bad.hdp");
    const Outcome r = run("library build --out " + (dir / "L.HLB") + joined(files));
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_FALSE(fs::exists(dir / "L.HLB"));
}

TEST(LoadAll, BuiltLibraryGoesIntoAUnitOnAPseudoTerminalAndReadsBackTheSame) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    ASSERT_EQ(run("--quiet library build --out " + (dir / "L.HLB") + joined(dir.presets(5))).code, 0);
    SimProcess sim("--pty --memory-dir " + (dir / "unit"));
    const std::string first = sim.line();
    ASSERT_EQ(first.rfind("PTY ", 0), 0u) << first;
    const std::string usb = "--usb=" + first.substr(4);

    const Outcome r = run(usb + " load-all --force --library " + (dir / "L.HLB") + " --verify");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r, "Turn Off and ON the cabinet."));
    for (int k = 1; k <= 5; ++k) EXPECT_TRUE(has(r, "verify memory " + std::to_string(k) + ": same")) << k;
    const Outcome read = run(usb + " read 5 --json --quiet");
    EXPECT_TRUE(has(read, "\"name\":\"Program 5")) << read.out;
    const Outcome unwritten = run(usb + " read 6 --json --quiet");
    EXPECT_TRUE(has(unwritten, "\"name\":\"MEMORY 6\"")) << unwritten.out;
}

TEST(LoadAll, AUnitLoadedWithAFactoryLibraryReportsItsModel) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    const Outcome show = run("library show M02.HLB", false);
    EXPECT_TRUE(has(show, "model code 4 (M02)")) << show.out;

    SimProcess sim("--pty --memory-dir " + (dir / "unit"));
    const std::string usb = "--usb=" + sim.line().substr(4);
    ASSERT_EQ(run(usb + " --quiet load-all --force --model M02").code, 0);
    const Outcome probe = run(usb + " probe --json", false);
    EXPECT_TRUE(has(probe, "\"modelCode\":4,\"modelListEnabled\":false,\"modelRow\":2,\"model\":\"M02\"")) << probe.out;
    // Without --model the unit's own model is what gets loaded.
    const Outcome again = run(usb + " --quiet load-all --force --json", false);
    EXPECT_EQ(again.code, 0) << again.out;
    EXPECT_TRUE(has(again, "\"library\":\"M02.HLB\"")) << again.out;
}

TEST(LibraryBuild, ModelOptionSetsTheCodeAndRefusesUnknownModels) {
    WorkDir dir;
    const auto files = dir.presets(2);
    ASSERT_EQ(run("--quiet library build --model 'm06ps2' --out " + (dir / "L.HLB") + joined(files)).code, 0);
    const Outcome show = run("library show " + (dir / "L.HLB") + " --json", false);
    EXPECT_TRUE(has(show, "\"count\":2,\"modelCode\":30,")) << show.out;
    EXPECT_EQ(run("library build --model M99 --out " + (dir / "M.HLB") + joined(files)).code, 2);
    EXPECT_FALSE(fs::exists(dir / "M.HLB"));
}

// The unit refusing a memory is said once, as what it is, with what was written.
TEST(LoadAll, AProtectedMemoryEndsTheRunWithWhatWasWritten) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    ASSERT_EQ(run("--quiet library build --out " + (dir / "L.HLB") + joined(dir.presets(3))).code, 0);
    SimProcess sim("--pty --protect 2");
    const std::string usb = "--usb=" + sim.line().substr(4);
    const Outcome r = run(usb + " load-all --force --library " + (dir / "L.HLB"));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "error: Memory 2 is protected: unprotect it on the processor, then run the update again. "
                       "Memories written: 1; memories 2 to 3 keep their old programs; the DSP Operating System "
                       "was not updated.\n"))
        << r.out;
    for (const char* said : {"The HALDA40 was closed", "MEMORY PROTECTED", "was lost", "Connect the cabinet"})
        EXPECT_FALSE(has(r, said)) << said << "\n" << r.out;
    EXPECT_FALSE(has(r, "Turn Off and ON the cabinet."));
}

TEST(LoadAll, FactoryLibrariesRunOutOfTheBox) {
    WorkDir dir;
    const Outcome r = run("--sim --quiet load-all --model m09 --json");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "{\"library\":\"M09.HLB\",\"programs\":4,\"written\":[1,2,3,4],\"operatingSystem\":true,"
                     "\"complete\":true}\n");
    const Outcome repeat = run("--sim --quiet load-all --model M01 --repeat --count 2", false);
    EXPECT_EQ(repeat.code, 0);
    EXPECT_TRUE(has(repeat, "units done: 2, failed: 0")) << repeat.out;
}

TEST(LoadAll, RefusalsAndOfflineSayWhy) {
    WorkDir dir;
    EXPECT_EQ(run("--sim load-all --model M99").code, 2);
    EXPECT_EQ(run("--sim load-all").code, 2);

    std::ofstream(dir / "short.HLB") << "x";
    const Outcome bad = run("--sim load-all --library " + (dir / "short.HLB"));
    EXPECT_EQ(bad.code, 3);
    EXPECT_TRUE(has(bad, dir / "short.HLB"));

    const Outcome offline = run("--offline load-all --force --model M01");
    EXPECT_EQ(offline.code, 1) << offline.out;
    EXPECT_TRUE(has(offline, "You must be connected not offline"));
    EXPECT_TRUE(has(offline, "No memory was written"));
    EXPECT_FALSE(has(offline, "Turn Off and ON the cabinet."));
}

}  // namespace
