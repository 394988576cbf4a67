// The processor window's unit commands against the simulated unit.
#include "session/preset_document.h"
#include "session/realtime_mode.h"
#include "session/session_harness.h"
#include "session/unit_commands.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

void loadProgram(Session& s, std::size_t length = 3570) {
    s.programImage[0] = static_cast<std::uint8_t>((length - 2) >> 8);
    s.programImage[1] = static_cast<std::uint8_t>((length - 2) & 0xFF);
    for (std::size_t i = 2; i < length; ++i)
        s.programImage[i] = static_cast<std::uint8_t>(i);
}

TEST(Write, SendsTheImageThenMakesTheSameMemoryCurrent) {
    SessionHarness h;
    h.useUsb();
    loadProgram(h.session);
    h.session.state.setProgramNumber(6);
    EXPECT_EQ(writeProgram(h.session), OperationResult::Done);
    const auto r = h.records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].command, 3);
    EXPECT_EQ(r[1].command, 7);
    EXPECT_EQ(r[0].program, 6);
    EXPECT_EQ(r[1].program, 6);
    EXPECT_EQ(h.unit->unit().memory(6)->size(), 3570u);
    EXPECT_EQ(h.unit->unit().status().currentProgram, 6);
    EXPECT_EQ(h.ui.messages.at(0).text, "The memory 6 have a preset stored. Do you want to overwrite it?");
    EXPECT_TRUE(h.session.link.unitCommands.enabled);
}

TEST(Write, AnythingButYesSendsNothing) {
    for (const Answer a : {Answer::No, Answer::Cancel}) {
        SessionHarness h;
        h.useUsb();
        loadProgram(h.session);
        h.ui.answers = {a};
        EXPECT_EQ(writeProgram(h.session), OperationResult::Declined);
        EXPECT_TRUE(h.records().empty());
    }
}

TEST(Write, ThatFailsOverUsbSaysReconnectAndSkipsTheChange) {
    sim::SimOptions o;
    o.protectedMemories = {2};
    SessionHarness h(o);
    h.useUsb();
    loadProgram(h.session);
    h.session.state.setProgramNumber(2);
    EXPECT_EQ(writeProgram(h.session), OperationResult::Failed);
    EXPECT_TRUE(h.said("The HALDA40 was closed. You need to Reconnect."));
    EXPECT_TRUE(h.session.windows.connectFormVisible);
    EXPECT_EQ(h.commands(), std::vector<int>{3});
    EXPECT_FALSE(h.session.link.usb.isOpen());
}

TEST(Write, WhoseTcpLinkDropsIsReportedOnce) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::HangupBlock, 2}};
    SessionHarness h(o);
    h.useEthernet();
    loadProgram(h.session, 300);
    EXPECT_EQ(writeProgram(h.session), OperationResult::LinkLost);
    // The question, then the link's report and nothing after it.
    ASSERT_EQ(h.ui.messages.size(), 2u);
    EXPECT_EQ(h.ui.messages[1].text.rfind("ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct", 0), 0u);
    EXPECT_EQ(h.session.state.Link, LinkKind::Offline);
    EXPECT_EQ(h.session.commandOutcome, "Memory 1 not written");
}

TEST(Write, ThatFailsOverEthernetDropsTheLink) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::End, 1}};
    SessionHarness h(o);
    h.useEthernet();
    loadProgram(h.session, 100);
    EXPECT_EQ(writeProgram(h.session), OperationResult::Failed);
    EXPECT_TRUE(h.said("ETHERNET: Communication Error with HALDA40"));
    EXPECT_EQ(h.session.state.Link, LinkKind::Offline);
    EXPECT_FALSE(h.session.state.EthernetActive);
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoLabel), "Status: Offline");
}

TEST(KeyboardCommands, SendOneDataByteAfterOk) {
    struct Case {
        OperationResult (*command)(Session&);
        int code;
        std::uint8_t data;
        const char* question;
    };
    for (const Case c : {Case{lockKeyboard, 5, 0xFF, "Do you want to LOCK the Keyboard?"},
                         Case{unlockKeyboard, 5, 0x00, "Do you want to UNLOCK the Keyboard?"},
                         Case{onlyChangeFromKeyboard, 20, 0xFF,
                              "Do you want to Activate, Only Change Memory from Keyboard?"}}) {
        SessionHarness h;
        h.useUsb();
        h.session.programImage[0] = 0x5A;
        EXPECT_EQ(c.command(h.session), OperationResult::Done);
        const auto r = h.records();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].host,
                  (std::vector<std::uint8_t>{0x65, std::uint8_t(c.code), 0, 0, 0, 1, c.data, 0x55}));
        EXPECT_EQ(h.ui.messages.at(0).text, c.question);
        EXPECT_EQ(h.ui.messages.at(0).buttons, Buttons::OkCancel);
    }
}

TEST(KeyboardCommands, CancelSendsNothingAndLeavesTheCommandsEnabled) {
    SessionHarness h;
    h.useUsb();
    h.ui.answers = {Answer::Cancel};
    EXPECT_EQ(lockKeyboard(h.session), OperationResult::Declined);
    EXPECT_TRUE(h.records().empty());
    EXPECT_TRUE(h.session.link.unitCommands.enabled);
}

TEST(KeyboardCommands, AFailedLockGivesTheControlsBackAFailedOnlyChangeDoesNot) {
    for (const auto command : {lockKeyboard, onlyChangeFromKeyboard}) {
        sim::SimOptions o;
        o.faults = {{sim::SimFault::Kind::Start, 0}};
        SessionHarness h(o);
        h.useUsb();
        EXPECT_EQ(command(h.session), OperationResult::Failed);
        EXPECT_EQ(h.session.link.unitCommands.enabled, command == lockKeyboard);
    }
}

TEST(Password, SendsTheCodePaddedToSevenBytes) {
    EXPECT_FALSE(passwordBytes(""));
    EXPECT_FALSE(passwordBytes("12345678"));
    EXPECT_FALSE(passwordBytes("12\n4"));
    SessionHarness h;
    h.useUsb();
    EXPECT_EQ(sendPassword(h.session, passwordBytes("1234")), OperationResult::Done);
    EXPECT_EQ(h.unit->unit().status().password, (std::vector<std::uint8_t>{'1', '2', '3', '4', 0, 0, 0}));
    EXPECT_EQ(sendPassword(h.session, std::nullopt), OperationResult::Declined);
    EXPECT_EQ(h.records().size(), 1u);
}

TEST(CopyAll, WritesEveryMemoryInTurn) {
    SessionHarness h;
    h.useUsb();
    loadProgram(h.session, 200);
    EXPECT_EQ(copyProgramToAll(h.session), OperationResult::Done);
    const auto r = h.records();
    ASSERT_EQ(r.size(), 13u);
    for (int k = 1; k <= 13; ++k) {
        EXPECT_EQ(r[static_cast<std::size_t>(k - 1)].program, k);
        EXPECT_EQ(h.unit->unit().memory(k)->size(), 200u);
    }
    EXPECT_EQ(h.session.state.ProgramNumber, 13);
}

TEST(CopyAll, StopsAtTheFirstMemoryThatFails) {
    sim::SimOptions o;
    o.protectedMemories = {4};
    SessionHarness h(o);
    h.useUsb();
    loadProgram(h.session, 100);
    EXPECT_EQ(copyProgramToAll(h.session), OperationResult::Failed);
    EXPECT_EQ(h.records().size(), 4u);
    EXPECT_FALSE(h.unit->unit().memory(5));
}

TEST(CopyAll, ThatFailsSaysWhatTheMemoriesHoldNow) {
    sim::SimOptions o;
    o.protectedMemories = {3};
    SessionHarness h(o);
    h.useUsb();
    loadProgram(h.session, 100);
    EXPECT_EQ(copyProgramToAll(h.session), OperationResult::Failed);
    EXPECT_EQ(h.ui.messages.back().text,
              "Copy to all memories did not finish. Memories written: 1, 2; memories 3 to 13 keep their old programs.");
    EXPECT_EQ(h.session.commandOutcome, "Copy to all memories did not finish");
}

TEST(CopyAll, FromTheProcessorWindowAsksFirstAndSaysWhatItWrote) {
    SessionHarness h;
    h.useUsb();
    h.ui.answers = {Answer::No};
    EXPECT_EQ(copyPresetProgramToAll(h.session, h.session.preset), OperationResult::Declined);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].text, "Same Copy at All Memories overwrites memories 1 to 13. Go on?");
    EXPECT_EQ(h.ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(h.records().empty());
    EXPECT_EQ(h.session.commandOutcome, "Nothing was sent");

    EXPECT_EQ(copyPresetProgramToAll(h.session, h.session.preset), OperationResult::Done);
    EXPECT_EQ(h.commands(), std::vector<int>(13, 3));
    EXPECT_EQ(h.session.commandOutcome, "Memories 1 to 13 written");
}

TEST(UnitWideCommands, OverEthernetSendNothingAndKeepTheLink) {
    using Command = OperationResult (*)(Session&);
    const std::vector<std::pair<Command, std::string>> commands = {
        {lockKeyboard, "Lock"},
        {unlockKeyboard, "Unlock"},
        {onlyChangeFromKeyboard, "Only Change"},
        {[](Session& s) { return copyPresetProgramToAll(s, s.preset); }, "Same Copy at All Memories"},
        {copyProgramToAll, "Same Copy at All Memories"},
        {[](Session& s) { return sendPassword(s, passwordBytes("1234")); }, "Password"},
    };
    for (const auto& [command, name] : commands) {
        SessionHarness h;
        h.useEthernet();
        loadProgram(h.session, 100);
        EXPECT_EQ(command(h.session), OperationResult::Failed) << name;
        ASSERT_EQ(h.ui.messages.size(), 1u) << name;  // no question first
        EXPECT_EQ(h.ui.messages[0].text,
                  name + ": the HALDA40 takes this command over USB or the serial line only. Nothing was sent.");
        EXPECT_TRUE(h.records().empty()) << name;
        EXPECT_EQ(h.session.state.Link, LinkKind::Ethernet) << name;
        EXPECT_TRUE(h.session.state.EthernetActive) << name;
        EXPECT_TRUE(h.session.link.unitCommands.enabled) << name;
    }
}

TEST(Outcome, EachCommandSaysWhatItDid) {
    SessionHarness h;
    h.useUsb();
    loadProgram(h.session, 100);
    h.session.state.setProgramNumber(5);
    writeProgram(h.session);
    EXPECT_EQ(h.session.commandOutcome, "Memory 5 written");
    lockKeyboard(h.session);
    EXPECT_EQ(h.session.commandOutcome, "Keyboard locked");
    h.ui.answers = {Answer::Cancel};
    unlockKeyboard(h.session);
    EXPECT_EQ(h.session.commandOutcome, "Nothing was sent");
    readProgram(h.session);
    EXPECT_EQ(h.session.commandOutcome, "Memory 5 read");
}

TEST(ChangeAndReset, AskFirstThenSendTheirCode) {
    SessionHarness h;
    h.useUsb();
    h.session.state.setProgramNumber(8);
    EXPECT_EQ(changeProgram(h.session), OperationResult::Done);
    EXPECT_EQ(h.ui.messages.at(0).text,
              "Do you want to Change the present configuration and load the memory 8 in the HALDA40 ?");
    h.ui.answers = {Answer::No};
    EXPECT_EQ(resetUnit(h.session), OperationResult::Declined);
    EXPECT_EQ(resetUnit(h.session), OperationResult::Done);
    EXPECT_EQ(h.ui.beeps, 2);
    EXPECT_EQ(h.commands(), (std::vector<int>{7, 8}));
    EXPECT_EQ(h.unit->unit().status().currentProgram, 8);
}

TEST(UpdateDsp, WritesTheOperatingSystemAndResetsAfterTheWarning) {
    SessionHarness h;
    h.useUsb();
    FirmwareChoice firmware;
    firmware.image.emplace();
    (*firmware.image)[4] = 1;
    h.ui.answers = {Answer::No};
    EXPECT_EQ(updateDspOperatingSystem(h.session, firmware), OperationResult::Declined);
    EXPECT_TRUE(h.records().empty());
    EXPECT_EQ(updateDspOperatingSystem(h.session, firmware), OperationResult::Done);
    EXPECT_EQ(h.commands(), (std::vector<int>{1, 8}));
    EXPECT_EQ(h.unit->unit().firmware().size(), 7680u);
    EXPECT_TRUE(h.session.link.unitCommands.enabled);
}

TEST(Read, IsSkippedAfterACancelledNew) {
    SessionHarness h;
    h.useUsb();
    h.session.state.NewCancelled = true;
    EXPECT_EQ(readProgram(h.session).program.content, MemoryContent::Unread);
    EXPECT_TRUE(h.records().empty());
    h.session.state.NewCancelled = false;
    h.session.state.setProgramNumber(3);
    EXPECT_EQ(readProgram(h.session).program.content, MemoryContent::Program);
    EXPECT_FALSE(h.session.link.usb.isOpen());
}

// Switched on, real time offers to write the window's preset first, as Write does, so that the
// unit plays what the window shows; it never claims a read that does not happen.
TEST(RealTimeToggle, OffersTheWindowsPresetFirstAndStaysOffWhileOffline) {
    SessionHarness h;
    const PresetDocument window(h.ui);  // New's defaults
    const PresetParameters& shown = window.preset();
    toggleRealTime(h.session, shown);
    EXPECT_FALSE(h.session.state.RealTimeMode);
    EXPECT_TRUE(h.said("You are Offline, Real Time Mode is not posible"));
    h.useUsb();
    h.session.state.setProgramNumber(4);

    h.ui.answers = {Answer::Cancel};  // at the offer: real time stays off
    EXPECT_EQ(toggleRealTime(h.session, shown), OperationResult::Declined);
    EXPECT_FALSE(h.session.state.RealTimeMode);
    h.ui.answers = {Answer::Yes, Answer::No};  // the offer, then Write's own question
    toggleRealTime(h.session, shown);
    EXPECT_FALSE(h.session.state.RealTimeMode);
    EXPECT_TRUE(h.said("The memory 4 have a preset stored. Do you want to overwrite it?"));
    EXPECT_TRUE(h.records().empty());

    h.ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_EQ(toggleRealTime(h.session, shown), OperationResult::Done);
    EXPECT_TRUE(h.session.state.RealTimeMode);
    EXPECT_EQ(h.commands(), (std::vector<int>{3, 7}));
    ASSERT_TRUE(h.unit->unit().memory(4));
    EXPECT_EQ(h.unit->unit().memory(4)->size(), 3570u);
    EXPECT_FALSE(h.said("You are in Real Time Mode!. HALDA40 is going to read the present configuration for "
                        "security"));
    toggleRealTime(h.session, shown);
    EXPECT_FALSE(h.session.state.RealTimeMode);

    h.ui.answers = {Answer::No};  // on without writing: the unit keeps what it plays
    EXPECT_EQ(toggleRealTime(h.session, shown), OperationResult::Done);
    EXPECT_TRUE(h.session.state.RealTimeMode);
    EXPECT_EQ(h.commands().size(), 2u);
}

} // namespace
} // namespace vela::test
