#include <algorithm>
#include "library/library_file.h"
#include "library/model_catalogue.h"
#include "platform/process.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vela {
namespace {

namespace fs = std::filesystem;

// A program image of the generated size (length field 3568) named `name`.
ProgramImage image(const std::string& name, std::uint8_t fill) {
    ProgramImage im{};
    im[0] = 0x0D;
    im[1] = 0xF0;
    for (std::size_t i = 2; i < 3570; ++i) im[i] = fill;
    std::string padded = name;
    padded.resize(40, ' ');
    std::copy(padded.begin(), padded.end(), im.begin() + 12);
    return im;
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("vela-lib-" + std::to_string(platform::processId()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
}

TEST(ModelCatalogue, RowsFollowTheNamingRuleWithItsExceptions) {
    const auto& rows = ModelCatalogue::rows();
    ASSERT_EQ(rows.size(), 31u);
    EXPECT_EQ(rows[3].name, "M02 Display ");
    EXPECT_EQ(rows[28].libraryFile, "M06ps2.HLB");
    EXPECT_EQ(rows[28].manualFile, "M06ps.pdf");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string base(rows[r].name);
        if (auto d = base.find(" Display"); d != std::string::npos) base.replace(d, 8, "LCD");
        std::erase(base, ' ');
        EXPECT_EQ(rows[r].libraryFile, base + ".HLB") << r;
        if (r != 28) {
            EXPECT_EQ(rows[r].manualFile, base + ".pdf") << r;
        }
    }
}

TEST(ModelCatalogue, ModelCodesMapToRows) {
    EXPECT_FALSE(ModelCatalogue::rowForModelCode(1));
    EXPECT_FALSE(ModelCatalogue::rowForModelCode(-3));
    EXPECT_EQ(ModelCatalogue::rowForModelCode(2), 0u);
    EXPECT_EQ(ModelCatalogue::rowForModelCode(32), 30u);
    EXPECT_FALSE(ModelCatalogue::rowForModelCode(33));
    EXPECT_EQ(ModelCatalogue::find("M02 Display"), 3u);  // the trailing blank is forgiven
    EXPECT_EQ(ModelCatalogue::find("m06ps2"), 28u);
    EXPECT_FALSE(ModelCatalogue::find("M99"));
}

TEST(LibraryFile, BuiltEntriesListTheirNamesAndLeaveZerosAfter) {
    LibraryBuffer lib{};
    for (int k = 0; k < 13; ++k)
        ASSERT_TRUE(appendLibraryEntry(lib, image("Program " + std::to_string(k + 1), static_cast<std::uint8_t>(k + 1))));
    EXPECT_FALSE(appendLibraryEntry(lib, image("Fourteenth", 14)));
    EXPECT_EQ(lib[0], 13);
    const auto entries = libraryEntries(lib);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 13u);
    EXPECT_EQ((*entries)[0].offset, 1u);
    EXPECT_EQ((*entries)[12].offset, 1u + 12 * 3570);
    EXPECT_EQ((*entries)[4].length, 3568);
    EXPECT_EQ((*entries)[4].name, "Program 5" + std::string(31, ' '));
    for (std::size_t i = 1 + 13 * 3570; i < kLibrarySize; ++i) ASSERT_EQ(lib[i], 0) << i;

    ProgramImage working{};
    copyLibraryEntry(lib, (*entries)[2], working);
    EXPECT_EQ(working, image("Program 3", 3));
}

TEST(LibraryFile, ModelCodeStampsByteFourOfEveryEntryAndNothingElse) {
    LibraryBuffer lib{};
    EXPECT_FALSE(libraryModelCode(lib));
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(appendLibraryEntry(lib, image("P", 0x01)));
    EXPECT_EQ(libraryModelCode(lib), 1);
    LibraryBuffer before = lib;
    setLibraryModelCode(lib, 4);
    EXPECT_EQ(libraryModelCode(lib), 4);
    for (std::size_t i = 0; i < lib.size(); ++i) {
        const bool byteFour = i >= 1 && i < 1 + 3 * 3570 && (i - 1) % 3570 == 4;
        ASSERT_EQ(lib[i], byteFour ? 4 : before[i]) << i;
    }
    lib[1 + 3570 + 4] = 9;  // one program of another model
    EXPECT_FALSE(libraryModelCode(lib));
}

TEST(LibraryFile, SaveThenOpenGivesTheSameBytes) {
    TempDir dir;
    LibraryBuffer lib{};
    ASSERT_TRUE(appendLibraryEntry(lib, image("Flat", 0x11)));
    ASSERT_EQ(saveLibraryFile(dir.path / "X.HLB", lib), "");
    EXPECT_EQ(fs::file_size(dir.path / "X.HLB"), kLibrarySize);
    EXPECT_FALSE(fs::exists(dir.path / "X.HLB.part"));
    LibraryBuffer back{};
    back.fill(0xAA);
    ASSERT_TRUE(readLibraryFile(dir.path / "X.HLB", back).ok);
    EXPECT_EQ(back, lib);
}

TEST(LibraryFile, ALongerFileIsReadToItsFirst57121Bytes) {
    TempDir dir;
    std::vector<std::uint8_t> bytes(kLibrarySize + 100, 0);
    bytes[kLibrarySize + 5] = 0xEE;
    writeBytes(dir.path / "L.HLB", bytes);
    LibraryBuffer lib{};
    EXPECT_TRUE(readLibraryFile(dir.path / "L.HLB", lib).ok);
    EXPECT_EQ(lib[0], 0);
}

TEST(LibraryFile, RefusedFilesLeaveTheBufferZeroedAndNameTheFile) {
    TempDir dir;
    LibraryBuffer lib{};
    auto refused = [&](const fs::path& p) {
        lib.fill(0x5A);
        const auto r = readLibraryFile(p, lib);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(p.string()), std::string::npos) << r.error;
        EXPECT_TRUE(std::all_of(lib.begin(), lib.end(), [](auto b) { return b == 0; })) << p;
    };
    refused(dir.path / "missing.HLB");

    std::vector<std::uint8_t> shortFile(1000, 0);
    shortFile[0] = 1;
    writeBytes(dir.path / "short.HLB", shortFile);
    refused(dir.path / "short.HLB");

    std::vector<std::uint8_t> tooMany(kLibrarySize, 0);
    tooMany[0] = 14;
    writeBytes(dir.path / "many.HLB", tooMany);
    refused(dir.path / "many.HLB");

    std::vector<std::uint8_t> overrun(kLibrarySize, 0);
    overrun[0] = 2;
    overrun[1] = 0xFF;  // entry 1 claims 65280 bytes
    writeBytes(dir.path / "overrun.HLB", overrun);
    refused(dir.path / "overrun.HLB");

    // Fits in the file but not in the 32768-byte program image it is sent from.
    std::vector<std::uint8_t> huge(kLibrarySize, 0);
    huge[0] = 1;
    huge[1] = 0x7F;  // 32767 + 2 bytes
    huge[2] = 0xFF;
    writeBytes(dir.path / "huge.HLB", huge);
    refused(dir.path / "huge.HLB");
    refused(dir.path);  // a folder
}

TEST(LibraryFile, EntriesUpToTheProgramImageFitAndNoLongerOnesGetIn) {
    LibraryBuffer lib{};
    lib[0] = 1;
    lib[1] = 0x7F;  // L = 32766: the entry fills the image exactly
    lib[2] = 0xFE;
    const auto entries = libraryEntries(lib);
    ASSERT_TRUE(entries);
    ProgramImage working{};
    lib[1 + 32767] = 0xAB;
    EXPECT_TRUE(copyLibraryEntry(lib, (*entries)[0], working));
    EXPECT_EQ(working.back(), 0xAB);

    // An image whose length field runs past its own end is not appended.
    LibraryBuffer built{};
    ProgramImage claims{};
    claims[0] = 0x9C;  // 40000
    claims[1] = 0x40;
    EXPECT_FALSE(appendLibraryEntry(built, claims));
    EXPECT_EQ(built[0], 0);
}

TEST(LibraryFile, SavingIntoAMissingDirectoryFailsWithoutLeavingAFile) {
    TempDir dir;
    LibraryBuffer lib{};
    const auto error = saveLibraryFile(dir.path / "no" / "such.HLB", lib);
    EXPECT_NE(error, "");
    EXPECT_FALSE(fs::exists(dir.path / "no"));
}

}  // namespace
}  // namespace vela
