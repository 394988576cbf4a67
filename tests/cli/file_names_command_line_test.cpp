// File names as people give them, with accents, an apostrophe and blanks, through the commands
// that read and write files: each file lands under the name given, and is named so in what the
// program prints and in the checksum file beside a backup.

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

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

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::string quoted(const fs::path& path) { return "\"" + utf8(path) + "\""; }

TEST(FileNames, WithAccentsAndBlanksReachTheFilesTheyName) {
    const fs::path dir = fs::temp_directory_path() / ("vela-names-" + std::to_string(::getpid())) / u8"Présets d'été";
    fs::create_directories(dir);
    const fs::path preset = dir / u8"ëx 1.hdp", library = dir / u8"bibliothèque 1.HLB",
                   backup = dir / u8"sauvegarde été.HLB";

    const Outcome made = run("--quiet preset new --out " + quoted(preset));
    ASSERT_EQ(made.code, 0) << made.out;
    EXPECT_TRUE(fs::exists(preset));
    ASSERT_EQ(run("--quiet preset set " + quoted(preset) + " name=Stage").code, 0);
    const Outcome shown = run("preset show " + quoted(preset), false);
    EXPECT_EQ(shown.code, 0) << shown.out;
    EXPECT_TRUE(has(shown, "Stage")) << shown.out;

    const Outcome built = run("--quiet library build --out " + quoted(library) + " " + quoted(preset));
    ASSERT_EQ(built.code, 0) << built.out;
    EXPECT_TRUE(fs::exists(library));
    const Outcome listed = run("library show " + quoted(library), false);
    EXPECT_EQ(listed.code, 0) << listed.out;
    EXPECT_TRUE(has(listed, utf8(library) + ": 1 program")) << listed.out;

    const Outcome saved = run("--sim --yes backup --out " + quoted(backup));
    EXPECT_EQ(saved.code, 0) << saved.out;
    EXPECT_TRUE(has(saved, "saved in " + utf8(backup))) << saved.out;
    fs::path sum = backup;
    sum += ".sha256";
    std::string line;
    {
        std::ifstream in(sum, std::ios::binary);
        line.assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_TRUE(line.ends_with("  " + utf8(backup.filename()) + "\n")) << line;

    fs::remove_all(dir.parent_path());
}

}  // namespace
