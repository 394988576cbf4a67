#include "preset/byte_order.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/output_procedures.h"
#include "preset/preset_file.h"
#include "preset/preset_record.h"
#include "preset/program_image.h"
#include "preset_fixture.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>

namespace vela {
namespace {

using test::PresetFixture;
using test::TempDir;

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

ProgramImage imageOf(PresetFixture& f) {
    ProgramImage image{};
    generateProgramImage(f.p(), kSampleRate, image);
    return image;
}

// Changes something in every part of the model, each through its procedure.
void editEverything(PresetFixture& f) {
    PresetContext& c = f.ctx;
    PresetParameters& p = f.p();
    SetSystemName(p, "Front fill \xC3\xA9t\xC3\xA9 with a name longer than forty chars");
    p.SystemInfo.ProjectName.set("Hall B");
    p.SystemInfo.EngineerLabel.set("R. Vela");
    p.SystemInfo.Comments.set("line one\r\nline two");
    TemperatureUpdate(c, 31);
    DelaySetSamples(c, 0, 24);
    DelaySetSamples(c, 1, -1);
    InputDelaySetSamples(c, 1234);
    EqualiserSetType(c, 0, 3, 1);
    EqualiserSetGain(c, 0, 3, 6.0);
    EqualiserSetFrequency(c, 0, 3, 1234.5);
    EqualiserSetQ(c, 0, 3, 2.5);
    EqualiserSetType(c, 1, 8, 5);
    EqualiserSetGain(c, 1, 8, -4.5);
    EqualiserSetFrequency(c, 1, 8, 80.0);
    OutputSetLevelDb(c, 0, -3.4);
    OutputSetPolarity(c, 0, true);
    OutputSetMute(c, 1, true);
    OutputSetLevelDb(c, 1, 2.2);
    CrossoverSetAlignmentIndex(c, 0, CrossoverEdge::HighPass, 2);
    CrossoverSetOrder(c, 0, CrossoverEdge::HighPass, 5);
    CrossoverSetFrequency(c, 0, CrossoverEdge::HighPass, 85);
    CrossoverSetAlignmentIndex(c, 1, CrossoverEdge::LowPass, 3);
    CrossoverSetOrder(c, 1, CrossoverEdge::LowPass, 3);
    CrossoverSetFrequency(c, 1, CrossoverEdge::LowPass, 2500);
    CrossoverSetOff(c, 1, CrossoverEdge::HighPass, true);
    DynamicsSetThreshold(c, DynamicsKind::Rms, 0, -12.5);
    DynamicsSetCompressor(c, DynamicsKind::Rms, 0, true);
    DynamicsSetRatio(c, DynamicsKind::Rms, 0, 4.0);
    DynamicsSetRmsTime(c, 0, 150.0);
    DynamicsSetHold(c, DynamicsKind::Rms, 1, 40.0);
    DynamicsSetDecay(c, DynamicsKind::Rms, 1, 10.0);
    DynamicsSetGate(c, DynamicsKind::Rms, 1, 7);
    DynamicsSetGateRamp(c, DynamicsKind::Rms, 1, 3);
    DynamicsSetAmplifier(c, 1, AmplifierValue::ImpedanceOhm, 4.0);
    DynamicsSetBridgeMode(c, 1, false);
    DynamicsSetThreshold(c, DynamicsKind::Peak, 1, -3.0);
    DynamicsSetBypass(c, DynamicsKind::Peak, 0, true);
    DynamicsSetKnee(c, DynamicsKind::Peak, 2, 1.5);
    AdvanceInputRoute(p, 0);
    AdvanceInputRoute(p, 1);
    AdvanceInputRoute(p, 1);
    p.SpeakerDistance = {17, -3};
    p.Import.ImportDataType = 3;
    p.Import.ReferenceLevel.setValue(84.5);
}

TEST(PresetFile, SaveThenOpenGivesBackEveryValueAndTheSameImage) {
    TempDir dir;
    PresetFixture a;
    editEverything(a);
    const std::string path = dir.file("front.hdp");
    ASSERT_TRUE(SavePreset(a.ctx, path));
    EXPECT_EQ(std::filesystem::file_size(path), kPresetRecordSize);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    PresetFixture b;
    ASSERT_EQ(OpenPreset(b.ctx, path), OpenResult::Opened);
    // Open keeps New's peak limiter tables; everything else in the image is the saved preset's.
    const PresetFixture fresh;
    for (std::size_t n = 0; n < kDynamicsObjects; ++n) {
        EXPECT_EQ(b.p().PeakDynamics[n].GainTable, fresh.model->PeakDynamics[n].GainTable) << n;
        a.p().PeakDynamics[n].GainTable = fresh.model->PeakDynamics[n].GainTable;
    }
    EXPECT_EQ(imageOf(a), imageOf(b));
    const PresetParameters& p = b.p();
    EXPECT_EQ(p.MainSystemName, "Front fill \xC3\xA9t\xC3\xA9 with a name longer than f");  // 40 characters
    EXPECT_EQ(p.SystemInfo.Comments.text(), "line one\r\nline two");
    EXPECT_EQ(p.Temperature, 31);
    EXPECT_EQ(p.OutputDelay, (std::array<std::int32_t, 2>{24, -1}));
    EXPECT_EQ(p.InputDelay, 1234);
    EXPECT_EQ(p.band(0, 3).Frequency, 1234.5);
    EXPECT_EQ(p.band(0, 3).Q, 2.5);
    EXPECT_EQ(p.band(1, 8).FilterType, 18);
    EXPECT_EQ(p.InputRoute, (std::array<std::int32_t, 2>{0, 1}));
    EXPECT_EQ(p.Crossovers[0].HighPass.Order, 6);  // Linkwitz-Riley stores odd orders raised
    EXPECT_EQ(p.Crossovers[1].LowPass.Alignment, 5);
    EXPECT_EQ(p.HighPassOff[1], 1);
    EXPECT_FLOAT_EQ(p.RmsDynamics[0].ThresholdDb, -12.5f);
    EXPECT_EQ(p.RmsDynamics[1].GateSetting, 7.0f);
    EXPECT_FALSE(p.RmsDynamics[1].AmpBridgeMode);
    EXPECT_TRUE(p.PeakDynamics[0].Bypass);
    EXPECT_FLOAT_EQ(p.PeakDynamics[2].ShapeDb, 1.5f);
    EXPECT_EQ(p.SpeakerDistance, (std::array<std::int32_t, 2>{17, -3}));
    EXPECT_EQ(p.Import.ImportDataType, 3);
    EXPECT_EQ(p.Import.ReferenceLevel.value(), 84.5);
    EXPECT_NEAR(p.OutputDb[0], -3.4, 1e-9);
    EXPECT_LT(p.OutputGain[0], 0.0);
    EXPECT_EQ(p.MuteFactor[1], 0.0);

    // Saving the opened preset again writes the same bytes.
    ASSERT_TRUE(SavePreset(b.ctx, dir.file("again.hdp")));
    auto first = readBytes(path), second = readBytes(dir.file("again.hdp"));
    std::fill(first.begin() + 15, first.begin() + 116, 0);
    std::fill(second.begin() + 15, second.begin() + 116, 0);
    EXPECT_EQ(first, second);
}

TEST(PresetFile, OpenShowsItsStepsInOrder) {
    TempDir dir;
    PresetFixture f;
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("p.hdp")));
    f.ui.statuses.clear();
    ASSERT_EQ(OpenPreset(f.ctx, dir.file("p.hdp")), OpenResult::Opened);
    std::vector<std::string> steps;
    for (const auto& [field, text] : f.ui.statuses)
        if (field == StatusField::PresetStep && (steps.empty() || steps.back() != text)) steps.push_back(text);
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "Reading VERSION and HEADER...", "Reading PEQs...", "Reading Gains, and Polarity...",
                         "Reading CrossOvers...", "Reading Dinamics...", "Reading Sub Route...",
                         "Reading Import File Route...", "Updating Delays...",
                         "Updating relative distance between speakers...", "Updating Gains...",
                         "Updating Xover...", "Updating Dinamics...", "Updating Equalization...", "DONE"}));
    EXPECT_EQ(f.ui.lastStatus(StatusField::PresetTitle), "Opening " + dir.file("p.hdp"));
    EXPECT_EQ(f.ui.gaugePositionOf(Gauge::ProgressBar), 100);
}

TEST(PresetFile, HeaderTextNamesThePathCutToItsField) {
    TempDir dir;
    PresetFixture f;
    const std::string path = dir.file(std::string(120, 'n') + ".hdp");
    ASSERT_TRUE(SavePreset(f.ctx, path));
    const auto bytes = readBytes(path);
    EXPECT_EQ(bytes[15], 100);
    EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 49), "Vela Acoustic Labs HALDA402.0.0.0");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<std::uint8_t>{5, 'K', 'T', 'R', 'M', 'F'}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 10, bytes.begin() + 15),
              (std::vector<std::uint8_t>{0x04, 0x32, 0x2E, 0x30, 0x2E}));
    EXPECT_EQ(bytes::getLeI32(bytes, 420), 48000);
}

TEST(PresetFile, OlderFileKeepsThePresentInputDelay) {
    TempDir dir;
    PresetFixture a;
    editEverything(a);
    ASSERT_TRUE(SavePreset(a.ctx, dir.file("new.hdp")));
    auto bytes = readBytes(dir.file("new.hdp"));
    bytes.resize(kOlderPresetRecordSize);
    const std::string older = dir.file("old.hdp");
    writeBytes(older, bytes);

    PresetFixture b;
    InputDelaySetSamples(b.ctx, 77);
    EXPECT_EQ(OpenPreset(b.ctx, older), OpenResult::OpenedOlder);
    ASSERT_FALSE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(b.ui.messages[0].text, older + " is not a HALDA40 File or is an older version (then re-save the file "
                                             "to translate it to VERSION 2.0.0.0");
    EXPECT_EQ(b.p().InputDelay, 77);
    EXPECT_EQ(b.p().Temperature, 31);
    EXPECT_EQ(b.p().band(1, 8).FilterType, 18);
    EXPECT_EQ(b.p().OpenDialogFileName, "");
}

TEST(PresetFile, RefusedFilesLeaveTheModelUnchanged) {
    TempDir dir;
    PresetFixture good;
    editEverything(good);
    ASSERT_TRUE(SavePreset(good.ctx, dir.file("good.hdp")));
    const auto bytes = readBytes(dir.file("good.hdp"));

    PresetFixture f;
    OutputSetMute(f.ctx, 0, true);
    const ProgramImage before = imageOf(f);
    const auto recordBefore = encodePresetRecord(RecordFromModel(f.p(), kSampleRate, "x"));

    auto wrongLength = bytes;
    wrongLength.push_back(0);
    auto badLengthByte = bytes;
    badLengthByte[0] = 4;
    auto badLetter = bytes;
    badLetter[3] = 'X';
    auto shortBad = badLetter;
    shortBad.resize(kOlderPresetRecordSize);
    int n = 0;
    for (const auto& variant : {wrongLength, badLengthByte, badLetter, shortBad, std::vector<std::uint8_t>{}}) {
        const std::string path = dir.file("bad" + std::to_string(n++) + ".hdp");
        writeBytes(path, variant);
        f.ui.messages.clear();
        const OpenResult r = OpenPreset(f.ctx, path);
        EXPECT_TRUE(r == OpenResult::WrongSize || r == OpenResult::WrongSignature) << path;
        ASSERT_FALSE(f.ui.messages.empty());
        EXPECT_EQ(f.ui.messages.back().text, path + " is not a HALDA40File");
        EXPECT_EQ(f.ui.messages.back().kind, MessageKind::Error);
        EXPECT_EQ(imageOf(f), before) << path;
        EXPECT_EQ(encodePresetRecord(RecordFromModel(f.p(), kSampleRate, "x")), recordBefore) << path;
    }
    EXPECT_EQ(OpenPreset(f.ctx, dir.file("missing.hdp")), OpenResult::Unreadable);
    EXPECT_EQ(imageOf(f), before);
}

TEST(PresetFile, RouteCodesSurviveBothWays) {
    TempDir dir;
    PresetFixture f;
    AdvanceInputRoute(f.p(), 1);
    AdvanceInputRoute(f.p(), 1);  // output 2 on input B
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("r.hdp")));
    auto bytes = readBytes(dir.file("r.hdp"));
    // Readers that take one off get -1 (not chosen) and 1 back.
    EXPECT_EQ(bytes::getLeI32(bytes, 2312), 0);
    EXPECT_EQ(bytes::getLeI32(bytes, 2316), 2);
    // A file of the older writer holds the codes as they were, without the marker.
    std::fill(bytes.begin() + 2336, bytes.begin() + 2373, 0);
    bytes::putLeI32(bytes, 2312, 1);
    bytes::putLeI32(bytes, 2316, 0);
    writeBytes(dir.file("older-writer.hdp"), bytes);
    PresetFixture g;
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("older-writer.hdp")), OpenResult::Opened);
    EXPECT_EQ(g.p().InputRoute, (std::array<std::int32_t, 2>{1, 0}));
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("r.hdp")), OpenResult::Opened);
    EXPECT_EQ(g.p().InputRoute, (std::array<std::int32_t, 2>{-1, 1}));
    EXPECT_EQ(g.p().RouteGainB[1], 1.0);
}

TEST(PresetFile, DamagedValuesAreDesignedWithinTheEditorsRanges) {
    TempDir dir;
    PresetFixture f;
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("p.hdp")));
    auto bytes = readBytes(dir.file("p.hdp"));
    bytes[504 + 24] = 1;                        // band 1: peaking ...
    bytes::putLeF64(bytes, 504 + 8, -5.0);      // ... at a negative frequency
    bytes::putLeF32(bytes, 1928, std::nanf(""));  // RMS 1 threshold
    bytes::putLeF32(bytes, 1928 + 64, -1000.0f);  // RMS 2 threshold: finite, but the level axis underflows
    bytes::putLeI32(bytes, 1868 + 8, 99);       // crossover 1 low-pass order
    bytes::putLeI32(bytes, 424, -400);          // temperature
    writeBytes(dir.file("damaged.hdp"), bytes);
    PresetFixture g;
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("damaged.hdp")), OpenResult::Opened);
    EXPECT_EQ(g.p().band(0, 1).Frequency, 10.0);
    EXPECT_EQ(g.p().Crossovers[0].LowPass.Order, 8);
    EXPECT_EQ(g.p().Temperature, 0);
    EXPECT_TRUE(std::isfinite(g.p().RmsDynamics[0].ThresholdDb));
    EXPECT_GE(g.ui.messages.size(), 2u);
    for (double x : g.p().RmsDynamics[0].GainTable) EXPECT_TRUE(std::isfinite(x));
    EXPECT_EQ(g.p().RmsDynamics[1].ThresholdDb, -50.0f);
    for (double x : g.p().RmsDynamics[1].GainTable) EXPECT_TRUE(std::isfinite(x));
}

TEST(PresetFile, ABandThatNoDesignAdmitsPassesTheSignalWithAWarningNamingFileOutputAndBand) {
    TempDir dir;
    PresetFixture f;
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("p.hdp")));
    auto bytes = readBytes(dir.file("p.hdp"));
    // Output 2 band 3: a 6 dB high shelf whose gain is within range but so close to 0 dB
    // that the shelf's terms divide zero by zero.
    const std::size_t band = 728 + 2 * 28;
    bytes[band + 24] = 3;
    bytes::putLeF64(bytes, band, -7.8970796717069922e-16);
    bytes::putLeF64(bytes, band + 8, 40.590963855914993);
    bytes::putLeF64(bytes, band + 16, 15.93301070265726);
    writeBytes(dir.file("shelf.hdp"), bytes);
    PresetFixture g;
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("shelf.hdp")), OpenResult::Opened);
    const dsp::TSOS& b = g.p().band(1, 3);
    EXPECT_EQ((std::array<double, 5>{b.B0, b.B1, b.B2, b.A1, b.A2}), (std::array<double, 5>{1.0, 0.0, 0.0, 0.0, 0.0}));
    EXPECT_EQ(b.FilterType, 3);  // kept for the next save
    ASSERT_FALSE(g.ui.messages.empty());
    EXPECT_EQ(g.ui.messages.back().kind, MessageKind::Warning);
    EXPECT_EQ(g.ui.messages.back().text.rfind(dir.file("shelf.hdp") + ": Output 2 band 3: Shelv High 6dB", 0), 0u)
        << g.ui.messages.back().text;
}

TEST(PresetFile, OpenKeepsNewsPeakTablesSaysSoOnceAndAnEditStillRedesigns) {
    TempDir dir;
    PresetFixture f;
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("plain.hdp")));
    DynamicsSetThreshold(f.ctx, DynamicsKind::Peak, 0, -3.0);
    DynamicsSetThreshold(f.ctx, DynamicsKind::Peak, 1, -10.0);
    DynamicsSetThreshold(f.ctx, DynamicsKind::Peak, 2, -1.0);  // not in the image: no warning for it
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("peaks.hdp")));

    PresetFixture g;
    const auto newTables = g.p().PeakDynamics;
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("plain.hdp")), OpenResult::Opened);
    EXPECT_TRUE(g.ui.messages.empty());
    ASSERT_EQ(OpenPreset(g.ctx, dir.file("peaks.hdp")), OpenResult::Opened);
    ASSERT_EQ(g.ui.messages.size(), 1u);
    EXPECT_NE(g.ui.messages[0].text.find("output 1 and 2"), std::string::npos) << g.ui.messages[0].text;
    EXPECT_NE(g.ui.messages[0].text.find("limiter at -6 dB, knee 4 dB"), std::string::npos) << g.ui.messages[0].text;
    for (std::size_t n = 0; n < kDynamicsObjects; ++n) EXPECT_EQ(g.p().PeakDynamics[n].GainTable, newTables[n].GainTable);
    EXPECT_FLOAT_EQ(g.p().PeakDynamics[0].ThresholdDb, -3.0f);  // the stored value itself is kept

    DynamicsSetRatio(g.ctx, DynamicsKind::Peak, 0, 2.0);
    EXPECT_EQ(g.p().PeakDynamics[0].GainTable, f.p().PeakDynamics[0].GainTable);
}

TEST(PresetFile, SaveFailureLeavesTheOldFile) {
    TempDir dir;
    PresetFixture f;
    EXPECT_FALSE(SavePreset(f.ctx, dir.file("no/such/folder/p.hdp")));
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back().kind, MessageKind::Error);
    // The target is a folder: the rename fails and nothing is left behind.
    std::filesystem::create_directory(dir.file("taken.hdp"));
    EXPECT_FALSE(SavePreset(f.ctx, dir.file("taken.hdp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("taken.hdp.part")));
}

TEST(PresetFile, BatchReadsAtMostThirteenAndStopsAtARefusedFile) {
    TempDir dir;
    PresetFixture f;
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("p.hdp")));
    std::vector<std::string> paths(15, dir.file("p.hdp"));
    int images = 0;
    EXPECT_EQ(BatchReadPresets(f.ctx, paths, [&] { ++images; }), 13);
    EXPECT_EQ(images, 13);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.ui.messages[0].text, "You are selecting more than 13 memories. Only the first 13 memories will be read.");
    writeBytes(dir.file("bad.hdp"), {1, 2, 3});
    paths = {dir.file("p.hdp"), dir.file("bad.hdp"), dir.file("p.hdp")};
    EXPECT_EQ(BatchReadPresets(f.ctx, paths, [&] {}), 1);
}

TEST(PresetFile, BandTypeWithoutDesignKeepsNoCoefficientsOfThePreviousFile) {
    TempDir dir;
    PresetFixture f;
    EqualiserSetType(f.ctx, 0, 1, 1);
    EqualiserSetGain(f.ctx, 0, 1, 6.0);
    ASSERT_TRUE(SavePreset(f.ctx, dir.file("boost.hdp")));
    auto bytes = readBytes(dir.file("boost.hdp"));
    bytes[504 + 24] = 14;  // band 1: a code no design stores
    writeBytes(dir.file("odd.hdp"), bytes);
    // The library maker reads one file after the other without New in between.
    std::vector<ProgramImage> images;
    const std::vector<std::string> paths{dir.file("boost.hdp"), dir.file("odd.hdp")};
    ASSERT_EQ(BatchReadPresets(f.ctx, paths, [&] { images.push_back(imageOf(f)); }), 2);
    const dsp::TSOS& band = f.p().band(0, 1);
    EXPECT_EQ(band.FilterType, 14);
    EXPECT_EQ((std::array<double, 5>{band.B0, band.B1, band.B2, band.A1, band.A2}),
              (std::array<double, 5>{1.0, 0.0, 0.0, 0.0, 0.0}));
    EXPECT_EQ(images[1][144 + 1], 0x80);  // b0 = 1.0
    EXPECT_EQ(images[1][148 + 1], 0x00);  // b1 = 0
}

// The record's layout, written here from the table of offsets rather than through the codec,
// little-endian byte by byte.
struct LayoutWriter {
    std::vector<std::uint8_t> b = std::vector<std::uint8_t>(kPresetRecordSize, 0);
    void u8(std::size_t at, std::uint8_t v) { b.at(at) = v; }
    void i32(std::size_t at, std::int32_t v) {
        for (std::size_t k = 0; k < 4; ++k) u8(at + k, static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * k)));
    }
    void f32(std::size_t at, float v) { i32(at, std::bit_cast<std::int32_t>(v)); }
    void f64(std::size_t at, double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (std::size_t k = 0; k < 8; ++k) u8(at + k, static_cast<std::uint8_t>(bits >> (8 * k)));
    }
    void text(std::size_t at, const std::string& s) {
        u8(at, static_cast<std::uint8_t>(s.size()));
        for (std::size_t k = 0; k < s.size(); ++k) u8(at + 1 + k, static_cast<std::uint8_t>(s[k]));
    }
};

// A record whose every field holds a value of its own, and the bytes the layout gives it.
std::pair<PresetRecord, std::vector<std::uint8_t>> distinctRecord() {
    PresetRecord r;
    LayoutWriter w;
    float next = 1.5f;  // every real differs from every other
    const auto real = [&] { return next += 1.25f; };
    r.Signature = "KTRMF", w.text(0, r.Signature);
    r.VersionText = "2.0.", w.text(10, r.VersionText);
    r.HeaderText = "header", w.text(15, r.HeaderText);
    r.SystemName = "system", w.text(116, r.SystemName);
    r.ProjectName = "project", w.text(157, r.ProjectName);
    r.EngineerLabel = "engineer", w.text(188, r.EngineerLabel);
    r.Comments = "comments", w.text(219, r.Comments);
    r.SampleRate = 44100, w.i32(420, r.SampleRate);
    r.Temperature = 31, w.i32(424, r.Temperature);
    for (std::size_t i = 0; i < 2; ++i) {
        r.OutputDelay[i] = 100 + static_cast<std::int32_t>(i), w.i32(472 + 4 * i, r.OutputDelay[i]);
        r.EqualiserEditorValues[i] = 7 + static_cast<std::int32_t>(i), w.i32(480 + 4 * i, r.EqualiserEditorValues[i]);
    }
    for (std::size_t i = 0; i < 16; ++i) {
        BandRecord& band = r.Bands[i];
        const std::size_t at = 504 + 28 * i;
        band.Gain = -real(), w.f64(at, band.Gain);
        band.Frequency = 1000 + real(), w.f64(at + 8, band.Frequency);
        band.Q = real() / 16, w.f64(at + 16, band.Q);
        band.FilterType = static_cast<std::uint8_t>(i + 1), w.u8(at + 24, band.FilterType);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        r.OutputGain[i] = -real(), w.f64(1848 + 8 * i, r.OutputGain[i]);
        r.OutputPolarity[i] = static_cast<std::uint8_t>(0x10 + i), w.u8(1864 + i, r.OutputPolarity[i]);
        r.OutputMute[i] = static_cast<std::uint8_t>(0x20 + i), w.u8(1866 + i, r.OutputMute[i]);
        CrossoverRecord& x = r.Crossovers[i];
        const std::size_t at = 1868 + 28 * i;
        x.HighPassFrequency = real(), w.f32(at, x.HighPassFrequency);
        x.LowPassFrequency = real(), w.f32(at + 4, x.LowPassFrequency);
        x.LowPassOrder = 3 + static_cast<std::int32_t>(i), w.i32(at + 8, x.LowPassOrder);
        x.HighPassOrder = 5 + static_cast<std::int32_t>(i), w.i32(at + 12, x.HighPassOrder);
        x.LowPassAlignment = static_cast<std::uint8_t>(0x30 + i), w.u8(at + 24, x.LowPassAlignment);
        x.HighPassAlignment = static_cast<std::uint8_t>(0x40 + i), w.u8(at + 25, x.HighPassAlignment);
        r.LowPassOff[i] = static_cast<std::uint8_t>(0x50 + i), w.u8(1924 + i, r.LowPassOff[i]);
        r.HighPassOff[i] = static_cast<std::uint8_t>(0x60 + i), w.u8(1926 + i, r.HighPassOff[i]);
    }
    std::uint8_t flag = 0x70;
    std::int32_t count = 1000;
    for (std::size_t k = 0; k < 6; ++k) {
        DynamicsRecord& d = k < 3 ? r.Rms[k] : r.Peak[k - 3];
        const std::size_t at = (k < 3 ? 1928 : 2120) + 64 * (k % 3);
        d.ThresholdDb = -real(), w.f32(at, d.ThresholdDb);
        d.Ratio = real(), w.f32(at + 4, d.Ratio);
        d.CurveGainDb = real(), w.f32(at + 8, d.CurveGainDb);
        d.TimeConstantCoef = real() / 1000, w.f32(at + 12, d.TimeConstantCoef);
        d.WindowSamples = ++count, w.i32(at + 16, d.WindowSamples);
        d.RateCode = ++count, w.i32(at + 20, d.RateCode);
        d.LeadSamples = ++count, w.i32(at + 24, d.LeadSamples);
        d.AuxSwitch = ++flag, w.u8(at + 28, d.AuxSwitch);
        d.CompressorOn = ++flag, w.u8(at + 29, d.CompressorOn);
        d.ShapeDb = real(), w.f32(at + 32, d.ShapeDb);
        d.AmpBridgeMode = ++flag, w.u8(at + 36, d.AmpBridgeMode);
        d.AuxFlag = ++flag, w.u8(at + 37, d.AuxFlag);
        d.Bypass = ++flag, w.u8(at + 38, d.Bypass);
        d.AuxValue = real(), w.f32(at + 40, d.AuxValue);
        d.AmpGain = real(), w.f32(at + 44, d.AmpGain);
        d.ImpedanceOhm = real(), w.f32(at + 48, d.ImpedanceOhm);
        d.BoxPowerW = real(), w.f32(at + 52, d.BoxPowerW);
        d.AmpPowerW = real(), w.f32(at + 56, d.AmpPowerW);
        d.AuxCount = ++count, w.i32(at + 60, d.AuxCount);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        const auto n = static_cast<std::int32_t>(i);
        r.InputRoute[i] = 2 + n, w.i32(2312 + 4 * i, r.InputRoute[i]);
        r.RouteGainA10[i] = -11 - n, w.i32(2320 + 4 * i, r.RouteGainA10[i]);
        r.RouteGainB10[i] = 21 + n, w.i32(2328 + 4 * i, r.RouteGainB10[i]);
        r.ImportFile[i] = i == 0 ? "one.txt" : "two.txt", w.text(i == 0 ? 2373 : 2474, r.ImportFile[i]);
        r.SpeakerDistance[i] = -30 - n, w.i32(2584 + 4 * i, r.SpeakerDistance[i]);
        r.GateSetting[i] = 40 + n, w.i32(2592 + 4 * i, r.GateSetting[i]);
        r.GateRamp[i] = 50 + n, w.i32(2604 + 4 * i, r.GateRamp[i]);
    }
    r.ImportDataType = 8, w.i32(2576, r.ImportDataType);
    r.ReferenceLevel = real(), w.f32(2580, r.ReferenceLevel);
    r.InputDelay = 4097, w.i32(2616, r.InputDelay);
    return {r, w.b};
}

TEST(PresetFile, EveryFieldAtItsOffsetInWriterAndReader) {
    const auto [record, layout] = distinctRecord();
    const auto written = encodePresetRecord(record);
    for (std::size_t i = 0; i < kPresetRecordSize; ++i)
        ASSERT_EQ(written[i], layout[i]) << "byte " << i;
    // Read back from the layout's bytes (the writer is right by now), every field is in place.
    PresetRecord read;
    ASSERT_TRUE(decodePresetRecord(layout, read));
    const auto again = encodePresetRecord(read);
    for (std::size_t i = 0; i < kPresetRecordSize; ++i)
        ASSERT_EQ(again[i], layout[i]) << "byte " << i;
}

}  // namespace
}  // namespace vela
