// The preset document: edits through the table with undo and redo, the modified mark, merged
// steps, refused values and files.

#include "preset/parameter_table.h"
#include "preset/preset_fixture.h"
#include "session/preset_document.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vela {
namespace {

const Parameter& param(const char* key) { return *findParameter(key); }

TEST(PresetDocument, UndoAndRedoWalkTheEditsAndTheModifiedMarkFollows) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    EXPECT_FALSE(d.modified());
    EXPECT_FALSE(d.canUndo());
    d.set(param("eq.1.2.freq"), "440");
    d.set(param("out.2.gain"), "-6");
    EXPECT_TRUE(d.modified());
    d.undo();
    EXPECT_EQ(d.preset().OutputDb[1], 0.0);
    EXPECT_EQ(d.preset().band(0, 2).Frequency, 440.0);
    d.undo();
    EXPECT_FALSE(d.modified());  // back where it was made
    EXPECT_FALSE(d.canUndo());
    d.redo();
    d.redo();
    EXPECT_EQ(d.preset().OutputDb[1], -6.0);
    EXPECT_FALSE(d.canRedo());
    // A new edit after an undo forgets what could have been redone.
    d.undo();
    d.set(param("out.1.mute"), "1");
    EXPECT_FALSE(d.canRedo());
}

TEST(PresetDocument, EditsWithTheSameMergeWordAreOneStep) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    for (const char* hz : {"1100", "1200", "1300"}) d.set(param("eq.1.1.freq"), hz, "drag");
    d.set(param("eq.1.1.gain"), "4", "drag");
    d.endMerge();
    d.set(param("eq.1.1.gain"), "5", "drag");  // a new drag
    d.undo();
    EXPECT_EQ(d.preset().band(0, 1).Gain, 4.0);
    d.undo();
    EXPECT_EQ(d.preset().band(0, 1).Frequency, 1000.0);
    EXPECT_EQ(d.preset().band(0, 1).Gain, 0.0);
    EXPECT_FALSE(d.canUndo());
}

TEST(PresetDocument, ARefusedValueLeavesNoStepAndTheProceduresSpeakAsNotices) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    EXPECT_THROW(d.set(param("out.1.route"), "C"), std::invalid_argument);
    EXPECT_FALSE(d.canUndo());
    EXPECT_FALSE(d.modified());
    // Whatever a procedure would show in a box comes back to the caller, never to the user.
    d.set(param("eq.1.1.gain"), "99");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(PresetDocument, TheProceduresNoticesComeBackWithTheEdit) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    const auto notices = d.set(param("rms.1.boxpower"), "100");
    ASSERT_FALSE(notices.empty());
    EXPECT_NE(notices.back().find("exceeds your Box Power capacity"), std::string::npos) << notices.back();
    EXPECT_TRUE(ui.messages.empty());
}

// In real-time mode the unit hears undo and redo as it heard the edits: the band's procedure
// sends the value put back, and the preset put back is the one from before the edit.
TEST(PresetDocument, UndoAndRedoInRealTimeSendTheValuesPutBack) {
    test::ScriptedUi ui;
    test::RecordingSink sink;
    PresetDocument d(ui);
    d.setRealTimeSink(&sink);
    d.setRealTimeMode(true);
    const dsp::TSOS before = d.preset().band(1, 3);
    d.set(param("eq.2.3.type"), param("eq.2.3.type").choices.at(1), "drag");
    d.set(param("eq.2.3.gain"), "6", "drag");
    d.set(param("eq.2.3.freq"), "250", "drag");
    ASSERT_FALSE(sink.frames.empty());
    sink.frames.clear();
    d.undo();
    ASSERT_FALSE(sink.frames.empty());
    const auto& last = sink.frames.back();
    EXPECT_EQ(last.address, before.DspAddress);
    const auto words = before.Words();
    const std::vector<std::uint32_t> restored(words.begin(), words.end());
    EXPECT_EQ(last.words, restored);
    EXPECT_EQ(d.preset().band(1, 3).Gain, before.Gain);
    EXPECT_EQ(d.preset().band(1, 3).Frequency, before.Frequency);
    sink.frames.clear();
    d.redo();
    ASSERT_FALSE(sink.frames.empty());
    EXPECT_NE(sink.frames.back().words, restored);
    // Out of real-time mode nothing is sent.
    d.setRealTimeMode(false);
    sink.frames.clear();
    d.undo();
    EXPECT_TRUE(sink.frames.empty());
}

TEST(PresetDocument, AFileThatCannotBeOpenedLeavesThePresetAndItsHistory) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    d.set(param("project"), "Arena");
    const auto bad = std::filesystem::temp_directory_path() / "designer-not-a-preset.hdp";
    std::ofstream(bad) << "not a preset";
    EXPECT_FALSE(d.open(bad.string()));
    std::filesystem::remove(bad);
    EXPECT_FALSE(ui.messages.empty());  // the file's error was said
    EXPECT_EQ(d.preset().SystemInfo.ProjectName.text(), "Arena");
    EXPECT_TRUE(d.canUndo());
    EXPECT_TRUE(d.path().empty());
}

TEST(PresetDocument, SavingMarksItUnmodifiedAndOpeningGivesTheSameValuesWithNothingToUndo) {
    test::ScriptedUi ui;
    PresetDocument d(ui);
    d.set(param("xover.1.hp.freq"), "85");
    d.set(param("name"), "STAGE LEFT");
    const auto file = std::filesystem::temp_directory_path() / "designer-document.hdp";
    ASSERT_TRUE(d.saveAs(file.string()));
    EXPECT_FALSE(d.modified());
    EXPECT_EQ(d.path(), file.string());

    int changes = 0;
    PresetDocument other(ui);
    const int id = other.subscribe([&] { ++changes; });
    ASSERT_TRUE(other.open(file.string()));
    std::filesystem::remove(file);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(other.preset().Crossovers[0].HighPass.Frequency, 85.0);
    EXPECT_EQ(other.preset().MainSystemName, "STAGE LEFT");
    EXPECT_FALSE(other.canUndo());
    EXPECT_FALSE(other.modified());
    other.unsubscribe(id);
    other.set(param("out.1.mute"), "1");
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace vela
