// The unit commands stopped by the user part-way: each stops between its exchanges, or at
// once when asked twice, and says what it had done; the unit answers the next command.
#include "session/session_harness.h"
#include "session/unit_commands.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

void loadProgram(Session& s) {
    s.programImage[0] = 0x0D;
    s.programImage[1] = 0xF0;
    for (std::size_t i = 2; i < 3570; ++i)
        s.programImage[i] = static_cast<std::uint8_t>(i);
}

std::string lastMessage(const ScriptedUi& ui) {
    return ui.messages.empty() ? "" : ui.messages.back().text;
}

TEST(StoppedCopyAll, WritesTheMemoryUnderWayAndNoMore) {
    SessionHarness h;
    h.useUsb();
    loadProgram(h.session);
    h.ui.stopWhenStatus("Sending DATA... to Memory 3", 1);
    EXPECT_EQ(copyProgramToAll(h.session), OperationResult::Stopped);
    EXPECT_EQ(h.commands(), (std::vector<int>{3, 3, 3}));
    EXPECT_TRUE(h.unit->unit().memory(3));
    EXPECT_FALSE(h.unit->unit().memory(4));
    EXPECT_EQ(lastMessage(h.ui), "Copy to all memories was stopped. Memories written: 1, 2, 3; memories 4 to "
                                 "13 keep their old programs.");
    EXPECT_TRUE(h.session.link.unitCommands.enabled);
}

TEST(StoppedWrite, SaysTheMemoryWasWrittenButNotMadeCurrent) {
    SessionHarness h;
    h.useUsb();
    loadProgram(h.session);
    h.session.state.setProgramNumber(6);
    h.ui.stopWhenStatus("Sending DATA... to Memory 6", 1);
    EXPECT_EQ(writeProgram(h.session), OperationResult::Stopped);
    EXPECT_EQ(h.commands(), (std::vector<int>{3}));
    EXPECT_TRUE(h.unit->unit().memory(6));
    EXPECT_EQ(h.unit->unit().status().currentProgram, 1);
    EXPECT_EQ(lastMessage(h.ui), "The write was stopped: memory 6 was written but not made current.");
}

TEST(StoppedRead, AtOnceLeavesNothingReadAndTheNextReadWorks) {
    SessionHarness h;
    h.useUsb();
    h.session.state.setProgramNumber(4);
    h.ui.stopWhenStatus("Receive data...", 2);
    const MemoryRead stopped = readProgram(h.session).program;
    EXPECT_EQ(stopped.content, MemoryContent::Unread);
    EXPECT_EQ(lastMessage(h.ui), "The read was stopped: memory 4 was not read.");
    EXPECT_FALSE(h.session.link.usb.isOpen());

    h.ui.onPump = nullptr;
    h.ui.stop.clear();
    EXPECT_EQ(readProgram(h.session).program.content, MemoryContent::Program);
}

TEST(StoppedUpdateDsp, AskedBeforeItBeginsSendsNothing) {
    SessionHarness h;
    h.useUsb();
    h.ui.stop.request();
    std::string error;
    FirmwareChoice firmware;
    firmware.image = firmwareImageFromText(builtInFirmwareText(), error);
    ASSERT_TRUE(firmware.image) << error;
    EXPECT_EQ(updateDspOperatingSystem(h.session, firmware), OperationResult::Stopped);
    EXPECT_EQ(h.unit->unit().exchangeCount(), 0);
}

} // namespace
} // namespace vela::test
