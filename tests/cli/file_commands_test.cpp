// What the commands do with the files they are given: paths that are not files, files whose
// lengths do not fit, and outputs that would destroy something.
#include "preset/byte_order.h"
#include "preset/temp_dir.h"
#include "support/run_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace vela {
namespace {

namespace fs = std::filesystem;
using test::runCli;
using test::TempDir;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(InputFiles, AFolderIsRefusedInOneLineByEveryReader) {
    TempDir dir;
    const std::string folder = dir.file("folder.hdp");
    fs::create_directory(folder);
    const std::vector<std::vector<std::string>> commands = {
        {"--sim", "--yes", "write", "1", "--image", folder},
        {"--sim", "--yes", "copy-all", "--image", folder},
        {"--sim", "--yes", "update-dsp", "--firmware", folder},
        {"--sim", "--yes", "load-all", "--model", "M01", "--firmware", folder},
        {"--sim", "--yes", "--quiet", "load-all", "--library", folder},
        {"--sim", "--yes", "write", "1", "--preset", folder},
        {"library", "show", folder},
        {"library", "build", "--out", dir.file("L.HLB"), folder},
        {"preset", "show", folder},
        {"import", "--format", "0", folder},
    };
    for (const auto& words : commands) {
        const auto r = runCli(words);
        EXPECT_EQ(r.code, 3) << words[words.size() - 2] << r.err;
        EXPECT_TRUE(has(r.err, folder + ": is a folder, not a file")) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("L.HLB")));
}

TEST(InputFiles, AMeasurementWithoutPointsIsRefusedAndAFallingOneIsRead) {
    TempDir dir;
    const std::string empty = dir.write("comments.frd", "* exported\n\"Freq\" \"SPL\" \"Phase\"\n");
    auto r = runCli({"import", "--format", "11", empty});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(has(r.err, empty + " holds no measured point.")) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;

    const std::string falling = dir.write("falling.frd", "20000,000 80,000 -39,000\n20,000 80,000 -39,000\n");
    r = runCli({"import", "--format", "11", falling});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\n20 -10 ")) << r.out;  // 80 dB against the 90 dBspl reference
}

TEST(InputFiles, ALibraryEntryLongerThanTheProgramImageIsRefusedByName) {
    TempDir dir;
    std::string bytes(57121, '\0');
    bytes[0] = 1;
    bytes[1] = static_cast<char>(0x9C);  // 40000 bytes: inside the file, beyond the image
    bytes[2] = 0x40;
    const std::string file = dir.write("bad.HLB", bytes);
    const auto r = runCli({"--sim", "--yes", "--quiet", "load-all", "--library", file});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(has(r.err, file)) << r.err;
    EXPECT_EQ(runCli({"library", "show", file}).code, 3);
}

TEST(InputFiles, FirmwareTextWithAByteThatIsNotHexIsRefusedNamingTheLine) {
    TempDir dir;
    std::string text;
    for (int l = 1; l <= 1536; ++l) text += l == 40 ? "0x00, 0xQ1, 0x00, 0x00, 0x01, \n" : "0x00, 0x00, 0x00, 0x00, 0x01, \n";
    const std::string file = dir.write("os.txt", text);
    const auto r = runCli({"--sim", "--yes", "update-dsp", "--firmware", file});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(has(r.err, file + ": line 40: group 2")) << r.err;
}

std::string contentOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(OutputFiles, NeverAnInputNorAnotherKindOfFileWithoutForce) {
    TempDir dir;
    const std::string x = dir.file("x.hdp"), victim = dir.file("victim.hdp"), lib = dir.file("lib.HLB");
    ASSERT_EQ(runCli({"--quiet", "preset", "new", "--out", x}).code, 0);
    ASSERT_EQ(runCli({"--quiet", "preset", "new", "--out", victim}).code, 0);
    ASSERT_EQ(runCli({"--quiet", "library", "build", "--out", lib, x}).code, 0);
    // Making a symbolic link takes a privilege on Windows (and Wine cannot): there the input
    // reached through a link is not tried.
    std::error_code noLink;
    fs::create_symlink(x, dir.file("link.bin"), noLink);
    const std::string preset = contentOf(x), victimPreset = contentOf(victim), library = contentOf(lib);

    auto refused = [](const std::vector<std::string>& words, const std::string& why) {
        const auto r = runCli(words);
        EXPECT_EQ(r.code, 3) << r.err;
        EXPECT_TRUE(has(r.err, why)) << r.err;
    };
    refused({"preset", "image", x, "--out", x}, "an input of this command");
    refused({"preset", "image", x, "--out", dir.file("./x.hdp")}, "is the input file " + x);
    if (!noLink) refused({"preset", "image", x, "--out", dir.file("link.bin")}, "is the input file " + x);
    refused({"library", "build", "--out", victim, victim}, "an input of this command");
    refused({"library", "build", "--out", x, victim}, "is a preset file; it would be replaced by a library file");
    refused({"preset", "set", x, "name=Y", "--out", lib}, "is a library file; it would be replaced by a preset file");
    refused({"preset", "new", "--out", lib}, "--force to replace it");
    EXPECT_TRUE(contentOf(x) == preset);
    EXPECT_TRUE(contentOf(victim) == victimPreset);
    EXPECT_TRUE(contentOf(lib) == library);

    // Same kind, in-place edits and --force go ahead.
    EXPECT_EQ(runCli({"--quiet", "preset", "set", x, "name=Y"}).code, 0);
    EXPECT_EQ(runCli({"--quiet", "preset", "image", x, "--out", dir.file("x.bin")}).code, 0);
    EXPECT_EQ(runCli({"--quiet", "preset", "image", victim, "--out", dir.file("x.bin")}).code, 0);
    EXPECT_EQ(runCli({"--quiet", "preset", "set", x, "name=Z", "--out", lib, "--force"}).code, 0);
    EXPECT_EQ(fs::file_size(lib), 2620u);
}

TEST(DamagedPreset, OpensToAResultOnTheCommandLine) {
    TempDir dir;
    const std::string file = dir.file("damaged.hdp");
    ASSERT_EQ(runCli({"--quiet", "preset", "new", "--out", file}).code, 0);
    const std::string text = contentOf(file);
    std::vector<std::uint8_t> record(text.begin(), text.end());
    // Output 1 band 1: a 6 dB high shelf whose in-range gain leaves no finite filter.
    record[504 + 24] = 3;
    bytes::putLeF64(record, 504, -7.8970796717069922e-16);
    bytes::putLeF64(record, 504 + 8, 40.590963855914993);
    bytes::putLeF32(record, 1928 + 48, 0.0f);  // RMS 1 impedance: no power check admits it
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(record.data()),
                                                static_cast<std::streamsize>(record.size()));

    const auto image = runCli({"preset", "image", file, "--out", dir.file("d.bin")});
    EXPECT_EQ(image.code, 0) << image.err;
    EXPECT_TRUE(has(image.err, file + ": Output 1 band 1: Shelv High 6dB")) << image.err;
    const auto show = runCli({"preset", "show", file});
    EXPECT_EQ(show.code, 0) << show.err;
    EXPECT_TRUE(has(show.out, "no power check: impedance 0 ohm is not positive")) << show.out;
}

// Runs in `dir` while it lives, as a user who changed to the preset's folder.
class InFolder {
public:
    explicit InFolder(const fs::path& dir) : before_(fs::current_path()) { fs::current_path(dir); }
    ~InFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

// The short string of capacity 100 at `at` in a preset file.
std::string shortString(const std::string& file, std::size_t at) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    return bytes.substr(at + 1, static_cast<unsigned char>(bytes[at]));
}

TEST(PresetByBareName, FindsItsMeasurementsBesideItAndASaveKeepsTheirNames) {
    TempDir dir;
    dir.write("m.txt", "    Freq\t      dB\t   Phase\n   100.00    93.00    90.00\n 10000.00    93.00    90.00\n");
    const std::string file = dir.file("abs.hdp");
    ASSERT_EQ(runCli({"preset", "new", "--out", file}).code, 0);
    ASSERT_EQ(runCli({"preset", "set", file, "import.1=C:\\Meas\\m.txt", "import.2=gone.txt"}).code, 0);
    {
        InFolder here(dir.path());
        const auto show = runCli({"preset", "show", "abs.hdp", "--json"});
        ASSERT_EQ(show.code, 0) << show.err;
        EXPECT_TRUE(has(show.out, "\"curves\":[{\"magnitude\":[-140,")) << show.out.substr(show.out.find("curves"), 80);
        const auto set = runCli({"preset", "set", "abs.hdp", "name=X"});
        ASSERT_EQ(set.code, 0) << set.err;
    }
    EXPECT_EQ(shortString(file, 2373), "C:\\Meas\\m.txt");
    EXPECT_EQ(shortString(file, 2474), "gone.txt");  // not found, but not dropped
}

}  // namespace
}  // namespace vela
