// The preset and import commands as a user runs them.
#include "support/run_cli.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vela {
namespace {

using test::TempDir;

using Outcome = test::CliOutcome;

Outcome run(std::vector<std::string> words) { return test::runCli(std::move(words)); }

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PresetCommand, NewSetShowAndImage) {
    TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(run({"preset", "new", "--out", file}).code, 0);
    EXPECT_EQ(std::filesystem::file_size(file), 2620u);
    const Outcome set = run({"preset", "set", file, "eq.1.3.gain=6", "eq.1.3.type=Parametric Q adap",
                         "eq.2.1.type=Shelv Low 12dB", "xover.1.low.alignment=L-Riley", "out.2.mute=1", "delay.1=24",
                         "name=Main left", "rms.2.mode=compressor"});
    ASSERT_EQ(set.code, 0) << set.err;
    const Outcome show = run({"preset", "show", file, "--json"});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find("\"SystemName\":\"Main left\""), std::string::npos);
    EXPECT_NE(show.out.find("\"OutputDelay\":[24,0]"), std::string::npos);
    EXPECT_NE(show.out.find("\"OutputMute\":[false,true]"), std::string::npos);
    EXPECT_NE(show.out.find("\"HighPass\":{\"Order\":2,\"SectionCount\":2,\"Alignment\":4"), std::string::npos);
    EXPECT_NE(show.out.find("\"FilterType\":18"), std::string::npos);
    EXPECT_EQ(show.err, "");

    const std::string image = dir.file("a.bin");
    ASSERT_EQ(run({"preset", "image", file, "--out", image}).code, 0);
    const std::string bytes = readAll(image);
    ASSERT_EQ(bytes.size(), 3570u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x0D\xF0\x71", 3));
    EXPECT_EQ(bytes.substr(12, 11), "Main left  ");
    EXPECT_EQ(bytes.substr(52, 48), std::string(48, '\0'));
    EXPECT_EQ(bytes[3569], '\0');
    EXPECT_EQ(bytes.substr(3176, 4), std::string(4, '\0'));  // output 2 muted
}

TEST(PresetCommand, RefusedFilesAndUnknownNames) {
    TempDir dir;
    const std::string bad = dir.write("bad.hdp", "not a preset");
    const Outcome r = run({"preset", "show", bad});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find(bad + " is not a HALDA40File"), std::string::npos);
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(run({"preset", "new", "--out", file}).code, 0);
    const std::string before = readAll(file);
    EXPECT_EQ(run({"preset", "set", file, "eq.9.1.gain=3"}).code, 2);
    EXPECT_EQ(run({"preset", "set", file, "bogus=1"}).code, 2);
    EXPECT_EQ(run({"preset", "set", file, "eq.1.1.gain=loud"}).code, 2);
    EXPECT_EQ(readAll(file), before);
}

TEST(PresetCommand, PlotsPngAndSvg) {
    TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(run({"preset", "new", "--out", file}).code, 0);
    ASSERT_EQ(run({"preset", "set", file, "xover.1.high.alignment=ButtW", "eq.1.1.type=Parametric Q adap",
                   "eq.1.1.gain=-6"})
                  .code,
              0);
    ASSERT_EQ(run({"preset", "plot", file, "--out", dir.file("p.png")}).code, 0);
    EXPECT_EQ(readAll(dir.file("p.png")).substr(1, 3), "PNG");
    ASSERT_EQ(run({"preset", "plot", file, "--out", dir.file("p.svg")}).code, 0);
    EXPECT_NE(readAll(dir.file("p.svg")).find("<svg"), std::string::npos);
    EXPECT_EQ(run({"preset", "plot", file, "--out", dir.file("p.gif")}).code, 2);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(PresetCommand, PlotSharesTheScaleMarksCrossoversAndSaysWhatIsSilentOrLeftOut) {
    TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(run({"preset", "new", "--out", file}).code, 0);
    // Output 1 boosted by 12 dB, output 2 flat and muted; output 1 delayed by 40 samples.
    ASSERT_EQ(run({"preset", "set", file, "eq.1.1.type=Parametric Q const", "eq.1.1.gain=12", "eq.1.1.freq=100",
                   "xover.1.high.alignment=L-Riley", "xover.1.high.freq=1200", "out.2.mute=1", "delay.1=40"})
                  .code,
              0);
    ASSERT_EQ(run({"preset", "plot", file, "--out", dir.file("p.svg")}).code, 0);
    const std::string svg = readAll(dir.file("p.svg"));
    // Both magnitude panels reach up to the boost of output 1.
    EXPECT_EQ(count(svg, ">18<"), 2u);
    EXPECT_EQ(count(svg, ">Output 1 LP 1.2 kHz<"), 2u);  // magnitude and phase
    EXPECT_EQ(count(svg, ">Muted: the output is silent<"), 1u);
    EXPECT_EQ(count(svg, ">Output total (muted: silent)<"), 1u);
    EXPECT_EQ(count(svg, ">Total includes the output delay of 0.833 ms<"), 1u);

    ASSERT_EQ(run({"preset", "plot", file, "--out", dir.file("c.svg"), "--layout", "combined"}).code, 0);
    const std::string combined = readAll(dir.file("c.svg"));
    EXPECT_EQ(count(combined, ">Outputs 1 and 2 magnitude<"), 1u);
    EXPECT_EQ(count(combined, ">Output 2 is muted: silent<"), 1u);
    EXPECT_EQ(count(combined, ">Output 1 includes the output delay of 0.833 ms<"), 1u);
    EXPECT_EQ(run({"preset", "plot", file, "--out", dir.file("x.svg"), "--layout", "one"}).code, 2);
}

TEST(ImportCommand, FourHundredPointsOrExitThree) {
    TempDir dir;
    const std::string good = dir.write("m.txt", "    Freq\t      dB\t   Phase\n"
                                                "   100.00    93.00    90.00\n"
                                                " 10000.00    93.00    90.00\n");
    const Outcome r = run({"import", "--format", "0", good, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"frequency\":[20,", 0), 0u);
    EXPECT_NE(r.out.find("\"magnitude\":[-140,"), std::string::npos);
    EXPECT_NE(r.out.find("\"phase\":["), std::string::npos);
    const Outcome text = run({"import", "--format", "0", good, "--reference", "93"});
    ASSERT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("\n1005 0 1.5707964\n"), std::string::npos);
    const Outcome header = run({"import", "--format", "1", good});
    EXPECT_EQ(header.code, 3);
    EXPECT_NE(header.err.find(good + " is not a valid MLSSA exported data file."), std::string::npos);
    EXPECT_EQ(run({"import", "--format", "5", good}).code, 2);
    EXPECT_EQ(run({"import", "--format", "0", dir.file("missing.txt")}).code, 3);
}

TEST(PresetCommand, WriteAndCopyAllTakeAPreset) {
    TempDir dir;
    const std::string file = dir.file("a.hdp");
    ASSERT_EQ(run({"preset", "new", "--out", file}).code, 0);
    const Outcome w = run({"write", "3", "--preset", file, "--sim", "--yes"});
    EXPECT_EQ(w.code, 0) << w.err;
    const Outcome c = run({"copy-all", "--preset", file, "--sim", "--yes"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(run({"write", "3", "--preset", dir.write("bad.hdp", "x"), "--sim", "--yes"}).code, 3);
}

}  // namespace
}  // namespace vela
