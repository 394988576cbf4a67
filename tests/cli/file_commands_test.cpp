// What the commands do with the files they are given: paths that are not files, files whose
// lengths do not fit, and outputs that would destroy something.
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
