// What every command shares, as a user meets it: help, options, output that suits a terminal,
// a script and a support call, the run log, one numbering of filter types, and numbers
// written with "." whatever the locale.

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vela::test::has;
using vela::test::Outcome;
using vela::test::run;

// The program's folder as the system writes it, and its separator.
const fs::path programFolder = fs::path(vela::test::binary()).parent_path();
const std::string separator = fs::path("/").make_preferred().string();

struct WorkDir {
    fs::path path = fs::temp_directory_path() /
                    ("vela-conv-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    WorkDir() { fs::create_directories(path); }
    ~WorkDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

std::string readAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs a shell line (to set the directory or the environment first); all its output and exit code.
Outcome shell(const std::string& line) { return vela::test::shell(line + " 2>&1"); }

int lineCount(const std::string& s) {
    int n = 0;
    for (const char c : s) n += c == '\n';
    return n;
}

TEST(Help, ComesEveryWayPeopleAskForIt) {
    const Outcome full = run("--help", false);
    ASSERT_EQ(full.code, 0);
    EXPECT_EQ(run("-h", false).out, full.out);
    EXPECT_EQ(run("help", false).out, full.out);
    // The global options are explained once, in the overview only.
    const Outcome probe = run("help probe", false);
    EXPECT_EQ(probe.code, 0);
    EXPECT_EQ(run("probe -h", false).out, probe.out);
    EXPECT_TRUE(has(probe, "usage: velaupdate probe"));
    EXPECT_FALSE(has(probe, "answer Yes/OK to every question"));
    EXPECT_TRUE(has(full, "answer Yes/OK to every question"));
    EXPECT_EQ(run("help nonsense").code, 2);
}

TEST(UsageErrors, NameTheOptionInOneLine) {
    for (const char* line : {"--bogus", "probe --bogus", "--sim load-all --modle M02", "read 3 --out"}) {
        const Outcome r = run(line);
        EXPECT_EQ(r.code, 2) << line;
        EXPECT_EQ(lineCount(r.out), 1) << line << ": " << r.out;
        EXPECT_TRUE(has(r, "--help")) << r.out;
    }
    EXPECT_TRUE(has(run("probe --bogus"), "unknown option --bogus"));
    EXPECT_TRUE(has(run("read 3 --out"), "option --out needs a value"));
}

TEST(LoadAll, SaysWhichLibraryAndWhichMemoriesItLeaves) {
    const Outcome r = run("--sim load-all --model m02");
    ASSERT_EQ(r.code, 0) << r.out;
    // The full path of the factory library and its program names, before the first memory.
    const auto library = r.out.find("Library " + programFolder.root_path().string());
    ASSERT_NE(library, std::string::npos) << r.out;
    EXPECT_LT(library, r.out.find("Sending DATA... to Memory 2"));
    EXPECT_TRUE(has(r, separator + "M02.HLB, 4 programs:\n  1 - "));
    EXPECT_TRUE(has(r, "memories 1 to 4 written and the DSP Operating System updated; memories 5 to 13 keep the "
                       "programs they held before"));
    EXPECT_FALSE(has(r, "in the current directory"));
}

TEST(LoadAll, WarnsWhenAFileHereHidesTheFactoryLibrary) {
    WorkDir dir;
    const fs::path factory = programFolder / "libraries" / "M02.HLB";
    fs::copy_file(factory, dir.path / "M02.HLB");
    const Outcome r = run("--sim load-all --model M02", true, {dir.path, {}});
    const std::string& out = r.out;
    EXPECT_EQ(r.code, 0) << out;
    EXPECT_NE(out.find("warning: the file M02.HLB in the current directory is used, not the library installed as " +
                       factory.string()),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Library " + (dir.path / "M02.HLB").string()), std::string::npos) << out;
}

TEST(Output, WithoutATerminalOneLinePerMemoryAndPhaseUnlessVerbose) {
    const Outcome brief = run("--sim load-all --model M02 --verify");
    const Outcome verbose = run("--sim load-all --model M02 --verify --verbose");
    ASSERT_EQ(brief.code, 0) << brief.out;
    ASSERT_EQ(verbose.code, 0) << verbose.out;
    EXPECT_LT(lineCount(brief.out), 40) << brief.out;
    EXPECT_GT(lineCount(verbose.out), 150);
    for (const char* text : {"Sending DATA... to Memory 4\n", "Sending DATA... DSP Program", "Status : USB\n",
                             "verify memory 4: same\n", "Turn Off and ON the cabinet.\n"})
        EXPECT_TRUE(has(brief, text)) << text;
    EXPECT_TRUE(has(verbose, "Received LONG...\n"));
    EXPECT_FALSE(has(brief, "Received LONG...\n"));
}

TEST(Output, WithoutATerminalALineAMemoryAndAPhaseAndNothingSentWhileReading) {
    // Standard error alone: the lines a script's log collects.
    const Outcome load = vela::test::runForErrors("--sim --yes load-all --model M01");
    ASSERT_EQ(load.code, 0) << load.out;
    EXPECT_LE(lineCount(load.out), 15) << load.out;
    for (const char* text : {"Memory 1 of 5", "Status : Offline", "Sending DATA... to Memory 1\nReading"})
        EXPECT_FALSE(has(load, text)) << text << "\n" << load.out;
    EXPECT_TRUE(has(load, "Sending DATA... to Memory 1\nSending DATA... to Memory 2\n")) << load.out;

    WorkDir dir;
    const Outcome backup = run("--sim --yes backup --out " + (dir / "b.HLB"));
    ASSERT_EQ(backup.code, 0) << backup.out;
    EXPECT_FALSE(has(backup, "Sending DATA")) << backup.out;
    EXPECT_TRUE(
        has(backup, "Reading Configuration 12 from the HALDA40\nReading Configuration 13 from the HALDA40\n"))
        << backup.out;
}

TEST(RunLog, EveryRunIsLoggedWithItsCommandLinkStepsAndOutcome) {
    WorkDir dir;
    const Outcome r = run("--sim write 3 --preset /nonexistent.hdp --log " + (dir / "named.log"));
    EXPECT_NE(r.code, 0);
    const Outcome ok = run("--sim --quiet load-all --model M01 --log " + (dir / "named.log"));
    ASSERT_EQ(ok.code, 0) << ok.out;
    const std::string log = readAll(dir / "named.log");
    EXPECT_TRUE(has({log, 0}, "command: velaupdate --sim --quiet load-all --model M01 --log "));
    EXPECT_TRUE(has({log, 0}, "link: USB, the simulated bridge; the simulated unit in this process\n"));
    EXPECT_TRUE(has({log, 0}, "  Received LONG...\n"));  // every step, even under --quiet
    EXPECT_TRUE(has({log, 0}, "  Sending DATA... to Memory 3\n"));
    EXPECT_TRUE(has({log, 0}, "outcome: exit code 0 (success)\n"));
    EXPECT_TRUE(has({log, 0}, "outcome: exit code 3 (bad input file)\n"));

    // Without --log: one file per run in the state directory, the last 20 kept.
    const fs::path logs = vela::test::stateFolderIn(dir.path / "state");
    fs::create_directories(logs);
    for (int i = 0; i < 22; ++i) std::ofstream(logs / ("run-2000010" + std::to_string(i % 10) + "-0000" +
                                                      std::to_string(10 + i) + "-1.log"))
                                     << i;
    EXPECT_EQ(run("models", true, {{}, {vela::test::stateHome(dir.path / "state")}}).code, 0);
    int runs = 0;
    bool modelsLogged = false;
    for (const auto& e : fs::directory_iterator(logs)) {
        ++runs;
        modelsLogged = modelsLogged || has({readAll(e.path().string()), 0}, "command: velaupdate models\n");
    }
    EXPECT_EQ(runs, 20);
    EXPECT_TRUE(modelsLogged);
}

TEST(Numbering, WhatShowPrintsSetAndDesignAccept) {
    WorkDir dir;
    const std::string file = dir / "p.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + file).code, 0);
    ASSERT_EQ(run("preset set " + file + " eq.1.1.type=17 'eq.1.2.type=shelv high 12dB' xover.2.low.alignment=4 "
                  "'xover.2.high.alignment=Bessel low-pass'")
                  .code,
              0);
    const Outcome show = run("preset show " + file, false);
    EXPECT_TRUE(has(show, "PEQ 1  Parametric Q const (17),"));
    EXPECT_TRUE(has(show, "PEQ 2  Shelv High 12dB (19),"));
    EXPECT_TRUE(has(show, "HighPass         L-Riley high-pass (4),"));
    EXPECT_TRUE(has(show, "LowPass          Bessel low-pass (5),"));
    EXPECT_EQ(run("design biquad --type 'Parametric Q const' --gain 3 --json", false).out,
              run("design biquad --type 17 --gain 3 --json", false).out);
    EXPECT_EQ(run("design crossover --alignment 'l-riley high-pass' --json", false).out,
              run("design crossover --alignment 4 --json", false).out);
    // A low-pass alignment on the high-pass edge is refused, not quietly moved.
    EXPECT_EQ(run("preset set " + file + " xover.1.low.alignment=3").code, 2);
}

TEST(EthernetScan, MatchesModelNamesAsLoadAllDoes) {
    vela::test::SimProcess sim("--udp 0 --module 00A1,M02,UNIT1 --module 00A2,M09,UNIT2");
    const std::string line = sim.line();  // "UDP 127.0.0.1:PORT (Ethernet module ...)"
    const auto colon = line.find(':');
    ASSERT_NE(colon, std::string::npos) << line;
    const std::string port = line.substr(colon + 1, line.find(' ', colon) - colon - 1);
    const Outcome r = run("ethernet scan --model ' m02' --broadcast 127.0.0.1 --port " + port + " --json", false);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(has(r, "\"Model\":\"M02\"")) << r.out;
    EXPECT_FALSE(has(r, "M09")) << r.out;
}

TEST(PresetSet, SaysWhenAControlLimitedAValue) {
    WorkDir dir;
    const std::string file = dir / "p.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + file).code, 0);
    const Outcome r = run("preset set " + file + " eq.1.1.gain=20 eq.1.1.freq=1000.4 out.2.gain=9 delay.1=200");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r, "warning: eq.1.1.gain: 20 was limited to 12\n")) << r.out;
    EXPECT_TRUE(has(r, "warning: out.2.gain: 9 was limited to 6.1\n")) << r.out;
    EXPECT_TRUE(has(r, "warning: delay.1: 200 was limited to 139\n")) << r.out;
    EXPECT_FALSE(has(r, "eq.1.1.freq")) << r.out;  // rounding to the control's step is no limit
}

TEST(WriteAndCopyAll, SayWhatTheyWrote) {
    WorkDir dir;
    const std::string file = dir / "p.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + file).code, 0);
    ASSERT_EQ(run("--quiet preset set " + file + " 'name=Stage Left'").code, 0);
    const Outcome write = run("--sim write 5 --preset " + file + " --yes");
    EXPECT_EQ(write.code, 0) << write.out;
    EXPECT_TRUE(has(write, "warning: The memory 5 have a preset stored. Do you want to overwrite it? Yes (--yes)\n"));
    EXPECT_TRUE(has(write, "memory 5 (now current): wrote " + file + " (3570 bytes, program \"Stage Left\")\n"));
    const Outcome copy = run("--sim copy-all --preset " + file, false);
    EXPECT_EQ(copy.out, "memories 1 to 13: wrote " + file + " (3570 bytes, program \"Stage Left\")\n");
}

TEST(PresetPlot, WithoutADesktopSessionSaysNothingOfRuntimeDirectories) {
    WorkDir dir;
    const std::string file = dir / "p.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + file).code, 0);
    const Outcome r = run("preset plot " + file + " --out " + (dir / "q.png"), true, {{}, {{"XDG_RUNTIME_DIR", {}}}});
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(has(r, "XDG_RUNTIME_DIR")) << r.out;
    EXPECT_TRUE(fs::exists(dir.path / "q.png"));
}

// Makes a German locale (decimal comma) for this test alone when the machine has the sources.
std::string germanLocale(const WorkDir& dir) {
    const std::string probe = "LC_ALL=de_DE.UTF-8 /usr/bin/printf '%.1f' 1.5";
    const auto commaWith = [&](const std::string& prefix) { return shell(prefix + probe).out == "1,5"; };
    if (commaWith("")) return "LC_ALL=de_DE.UTF-8 ";
    const std::string locpath = "LOCPATH=" + (dir / "locale") + " ";
    const std::string make = "localedef -i de_DE -f UTF-8 " + (dir / "locale/de_DE.UTF-8") + " >/dev/null 2>&1";
    fs::create_directories(dir.path / "locale");
    if (std::system(make.c_str()) >= 0 && commaWith(locpath)) return locpath + "LC_ALL=de_DE.UTF-8 ";
    return {};
}

TEST(Locale, NumbersUseAPointUnderADecimalCommaLocale) {
    VELA_LINUX_ONLY("a POSIX shell and its locales");
    WorkDir dir;
    const std::string german = germanLocale(dir);
    if (german.empty()) GTEST_SKIP() << "no de_DE.UTF-8 locale here and localedef could not make one";
    const std::string file = dir / "p.hdp";
    ASSERT_EQ(run("--quiet preset new --out " + file).code, 0);
    ASSERT_EQ(run("--quiet preset set " + file + " eq.1.1.type=17 eq.1.1.gain=3.5 eq.1.1.q=1.25 out.1.gain=-2.5 "
                  "xover.1.high.alignment=5 xover.1.high.freq=15000")
                  .code,
              0);
    std::ofstream(dir / "m.txt") << "    Freq\t      dB\t   Phase\n   100.50    93.25    90.00\n 10000.00    91.75    45.50\n";
    const std::string commands[] = {
        "preset show " + file,
        "preset show " + file + " --json",
        "preset set " + file + " eq.1.2.gain=20.5 --out " + (dir / "q.hdp"),
        "design biquad --type 17 --gain 2.5 --freq 1234.5 --q 0.71 --response --json",
        "design crossover --alignment 5 --freq 23000",
        "design dynamics --threshold -7.5 --json",
        "import --format 0 " + (dir / "m.txt"),
        "--sim load-all --model M02 --json",
    };
    const auto runAs = [&](const std::string& env, const std::string& command) {
        return shell("cd " + dir.path.string() + " && " + env + vela::test::binary() + " " + command).out;
    };
    for (const auto& command : commands) {
        const std::string plain = runAs("LC_ALL=C ", command);
        EXPECT_FALSE(plain.empty()) << command;
        EXPECT_EQ(runAs(german, command), plain) << command;
    }
    // Files too: the plot and the program image.
    for (const auto& [env, name] : {std::pair{std::string("LC_ALL=C "), "c"}, std::pair{german, "de"}}) {
        runAs(env, "preset plot " + file + " --out " + (dir / (name + std::string(".svg"))));
        runAs(env, "preset image " + file + " --out " + (dir / (name + std::string(".bin"))));
    }
    EXPECT_FALSE(readAll(dir / "c.svg").empty());
    EXPECT_EQ(readAll(dir / "de.svg"), readAll(dir / "c.svg"));
    EXPECT_EQ(readAll(dir / "de.bin"), readAll(dir / "c.bin"));
}

}  // namespace
