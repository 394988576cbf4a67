// Building a library from preset files as both front ends do it: one warning for the files
// whose peak settings the images do not carry, a gauge per file, no saving of a partial build,
// and the model whose code the programs carry.
#include "library/library_file.h"
#include "preset/dynamics_procedures.h"
#include "session/operations.h"
#include "session/preset_operations.h"
#include "session_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vela {
namespace {

namespace fs = std::filesystem;

struct LibraryBuild : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("vela-build-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    test::SessionHarness h;

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    // A new preset saved as `name`; a peak threshold other than New's when `peak` is given.
    std::string preset(const std::string& name, std::optional<double> peak = std::nullopt) {
        resetPreset(h.session);
        if (peak) {
            PresetContext ctx = presetContextOf(h.session);
            DynamicsSetThreshold(ctx, DynamicsKind::Peak, 0, *peak);
        }
        const std::string file = (dir / name).string();
        EXPECT_TRUE(savePresetFile(h.session, file));
        return file;
    }
    std::vector<std::string> warnings() const {
        std::vector<std::string> w;
        for (const auto& m : h.ui.messages)
            if (m.kind == MessageKind::Warning) w.push_back(m.text);
        return w;
    }
};

TEST_F(LibraryBuild, FilesWithOtherPeakSettingsAreNamedInOneWarning) {
    const std::vector<std::string> files{preset("a.hdp", -3.0), preset("b.hdp"), preset("c.hdp", -10.0)};
    h.ui.messages.clear();
    EXPECT_EQ(buildLibrary(h.session, files), 3);
    const auto w = warnings();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].rfind("The peak limiter settings stored in these preset files are not what their images carry", 0),
              0u)
        << w[0];
    EXPECT_NE(w[0].find("\n" + files[0] + " (output 1)"), std::string::npos) << w[0];
    EXPECT_NE(w[0].find("\n" + files[2] + " (output 1)"), std::string::npos) << w[0];
    EXPECT_EQ(w[0].find(files[1]), std::string::npos) << w[0];
    EXPECT_EQ(h.ui.gaugeMaximumOf(Gauge::LibraryBuild), 3);
    EXPECT_EQ(h.ui.gaugePositionOf(Gauge::LibraryBuild), 3);
}

TEST_F(LibraryBuild, APartialBuildIsNeverSavedAndAWholeOneCarriesTheModelChosen) {
    std::ofstream(dir / "bad.hdp") << "not a preset";
    const std::vector<std::string> partial{preset("a.hdp"), (dir / "bad.hdp").string(), preset("b.hdp")};
    EXPECT_EQ(buildLibrary(h.session, partial), 1);
    const fs::path out = dir / "L.HLB";
    EXPECT_EQ(saveLibrary(h.session, out, 4), SaveLibraryResult::Failed);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(h.ui.messages.back().text, "Only 1 of 3 preset files went in; the library was not saved.");

    ASSERT_EQ(buildLibrary(h.session, std::vector<std::string>{partial[0], partial[2]}), 2);
    ASSERT_EQ(saveLibrary(h.session, out, 4), SaveLibraryResult::Saved);
    LibraryBuffer saved{};
    ASSERT_TRUE(readLibraryFile(out, saved).ok);
    EXPECT_EQ(libraryModelCode(saved), 4);
    // A library opened from a file is whole, whatever the build before it left.
    h.session.libraryForm.libraryFileName = out.string();
    ASSERT_TRUE(h.session.libraryForm.openLibrary());
    EXPECT_FALSE(h.session.libraryForm.partialBuild());
}

}  // namespace
}  // namespace vela
