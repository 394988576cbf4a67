#include "library/library_window.h"
#include "link/firmware_image.h"
#include "link/run_stop.h"
#include "sim/in_process_unit.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

ProgramImage programImage(int k) {
    ProgramImage im{};
    im[0] = 0x0D;
    im[1] = 0xF0;
    for (std::size_t i = 2; i < 3570; ++i) im[i] = static_cast<std::uint8_t>(k * 7 + i);
    const std::string name = "Program " + std::to_string(k) + std::string(40, ' ');
    std::copy_n(name.begin(), 40, im.begin() + 12);
    return im;
}

// A library window over a USB link to the simulated unit, in this process.
struct LoadAll {
    explicit LoadAll(sim::SimOptions options = {}, int programs = 13)
        : unit(std::make_shared<sim::InProcessUnit>(options)),
          link(state, ui, sim::inProcessDevices(unit)),
          window(state, link, image, windowState, ui) {
        for (int k = 1; k <= programs; ++k) EXPECT_TRUE(appendLibraryEntry(window.buffer, programImage(k)));
        std::string error;
        firmware = *firmwareImageFromText(builtInFirmwareText(), error);
    }
    void connectUsb() {
        state.UsbActive = true;
        link.usb.UsbConnect();
        ASSERT_EQ(state.Link, LinkKind::USB);
    }
    sim::Bytes entry(int k) const {
        const auto im = programImage(k);
        return sim::Bytes(im.begin(), im.begin() + 3570);
    }
    bool said(const std::string& text) const {
        return std::any_of(ui.messages.begin(), ui.messages.end(), [&](const auto& m) { return m.text == text; });
    }
    std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().text; }

    test::ScriptedUi ui;
    SessionState state;
    ProgramImage image{};
    LibraryWindowState windowState;
    std::shared_ptr<sim::InProcessUnit> unit;
    DeviceLink link;
    LibraryWindow window;
    FirmwareImage firmware{};
};

TEST(LoadAllRun, ThirteenProgramsLandInMemoriesOneToThirteen) {
    LoadAll run;
    run.connectUsb();
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(report.complete());
    for (int k = 1; k <= 13; ++k) EXPECT_EQ(run.unit->unit().memory(k), run.entry(k)) << "memory " << k;
    EXPECT_EQ(run.unit->unit().status().firmwareWrites, 1);
    EXPECT_EQ(run.unit->unit().status().resets, 1);
    EXPECT_EQ(run.ui.gaugeMaximumOf(Gauge::TotalProgress), (3568 - 50) * 13 + 7680);
    EXPECT_EQ(run.lastMessage(), "Turn Off and ON the cabinet.");
    EXPECT_EQ(run.state.ProgramNumber, 13);
    EXPECT_TRUE(run.window.send1Enabled());
    EXPECT_FALSE(run.windowState.sendPanelVisible);
    EXPECT_FALSE(run.windowState.modelListEnabled);
}

TEST(LoadAllRun, FiveProgramsLeaveTheOtherMemoriesUntouched) {
    LoadAll run({}, 5);
    run.connectUsb();
    EXPECT_TRUE(run.window.loadAllMemories(run.firmware).complete());
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(run.unit->unit().memory(k), run.entry(k));
    for (int k = 6; k <= 13; ++k) EXPECT_FALSE(run.unit->unit().memory(k)) << k;
    EXPECT_EQ(run.ui.gaugeMaximumOf(Gauge::TotalProgress), (3568 - 50) * 5 + 7680);
}

// The unit refusing a memory is no lost link: one message says which memory and what was
// written, the link stays, and nothing more is sent. Over USB and Ethernet alike.
TEST(LoadAllRun, AProtectedMemoryIsSaidOnceWithWhatWasWrittenAndTheLinkStays) {
    for (const LinkKind kind : {LinkKind::USB, LinkKind::Ethernet}) {
        SCOPED_TRACE(kind == LinkKind::USB ? "USB" : "Ethernet");
        sim::SimOptions o;
        o.protectedMemories = {3};
        LoadAll run(o);
        if (kind == LinkKind::USB) {
            run.connectUsb();
        } else {
            run.state.Link = LinkKind::Ethernet;
            run.state.EthernetActive = true;
            run.link.ethernet.setAddress("127.0.0.1");
        }
        const auto report = run.window.loadAllMemories(run.firmware);
        EXPECT_FALSE(report.complete());
        EXPECT_EQ(report.protectedMemory, 3);
        EXPECT_EQ(report.writtenMemories, (std::vector<int>{1, 2}));
        ASSERT_EQ(run.ui.messages.size(), 1u) << run.lastMessage();
        EXPECT_EQ(run.ui.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(run.lastMessage(),
                  "Memory 3 is protected: unprotect it on the processor, then run the update again. Memories "
                  "written: 1, 2; memories 3 to 13 keep their old programs; the DSP Operating System was not "
                  "updated.");
        EXPECT_FALSE(run.unit->unit().memory(4));
        EXPECT_EQ(run.unit->unit().status().firmwareWrites, 0);
        EXPECT_EQ(run.state.Link, kind);
        EXPECT_FALSE(run.state.LinkLost);
        EXPECT_TRUE(run.window.send1Enabled());
    }
}

TEST(LoadAllRun, EveryRunStartsItsGaugesFromZeroAndNamesItsSteps) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::HangupBlock, 100}};  // within program 2 of the first run only
    LoadAll run(o, 4);
    run.connectUsb();
    EXPECT_FALSE(run.window.loadAllMemories(run.firmware).complete());
    ASSERT_GT(run.ui.gaugePositionOf(Gauge::ProgressBar), 0);
    ASSERT_GT(run.ui.gaugePositionOf(Gauge::TotalProgress), 0);
    run.connectUsb();
    std::vector<int> firstPositions;
    run.ui.onPump = [&](test::ScriptedUi& ui) {
        if (firstPositions.empty())
            firstPositions = {ui.gaugePositionOf(Gauge::ProgressBar), ui.gaugePositionOf(Gauge::TotalProgress)};
    };
    run.ui.statuses.clear();
    EXPECT_TRUE(run.window.loadAllMemories(run.firmware).complete());
    EXPECT_EQ(firstPositions, (std::vector<int>{0, 0}));  // the first step's text, before any block
    std::vector<std::string> steps;
    for (const auto& [field, text] : run.ui.statuses)
        if (field == StatusField::RunStep && !text.empty()) steps.push_back(text);
    EXPECT_EQ(steps, (std::vector<std::string>{"Memory 1 of 4", "Memory 2 of 4", "Memory 3 of 4", "Memory 4 of 4",
                                               "DSP Operating System"}));
}

TEST(LoadAllRun, ALinkLostPartWayIsNotReportedAsAnUpdate) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::HangupBlock, 200}};  // within program 4
    LoadAll run(o);
    run.connectUsb();
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_FALSE(report.complete());
    EXPECT_EQ(report.writtenMemories, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(run.said("The HALDA40 was closed. You need to Reconnect."));
    EXPECT_FALSE(run.said("Turn Off and ON the cabinet."));
}

TEST(LoadAllRun, AnEthernetLinkLostPartWayDropsTheLinkAndSendsNoMore) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::HangupBlock, 60}};  // within program 2
    LoadAll run(o);
    run.state.Link = LinkKind::Ethernet;
    run.state.EthernetActive = true;
    run.link.ethernet.setAddress("127.0.0.1");
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_EQ(report.writtenMemories, (std::vector<int>{1}));
    EXPECT_FALSE(report.operatingSystemSent);
    // The link's own report, then the summary; the run adds no error of its own.
    EXPECT_FALSE(run.said("ETHERNET: Communication Error with HALDA40"));
    ASSERT_EQ(run.ui.messages.size(), 2u);
    EXPECT_EQ(run.ui.messages[0].text.rfind("ETHERNET error: Opening IP: 127.0.0.1.", 0), 0u);
    EXPECT_EQ(run.state.Link, LinkKind::Offline);
    EXPECT_FALSE(run.state.EthernetActive);
    EXPECT_FALSE(run.said("Turn Off and ON the cabinet."));
    EXPECT_NE(run.lastMessage().find("Memories written: 1; memories 2 to 13 keep their old programs"),
              std::string::npos)
        << run.lastMessage();
    EXPECT_FALSE(run.unit->unit().memory(2));
}

TEST(LoadAllRun, StartedOfflineItSendsNothingAndSaysSo) {
    LoadAll run;
    bool askedToConnect = false;
    run.window.showConnectFormModal = [&] { askedToConnect = true; };
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(askedToConnect);
    EXPECT_EQ(run.ui.messages.front().text, "You must be connected not offline");
    EXPECT_TRUE(report.writtenMemories.empty());
    EXPECT_FALSE(report.operatingSystemSent);
    EXPECT_FALSE(run.said("Turn Off and ON the cabinet."));
    EXPECT_NE(run.lastMessage().find("No memory was written"), std::string::npos);
    EXPECT_EQ(run.unit->unit().exchangeCount(), 0);
}

TEST(LoadAllRun, WithoutALibraryItAsksForOne) {
    LoadAll run({}, 0);
    run.connectUsb();
    run.window.libraryFileName = "no-such-library.HLB";
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_EQ(report.programs, 0);
    EXPECT_TRUE(run.said("You must open a library before the sending"));
    EXPECT_FALSE(run.said("Turn Off and ON the cabinet."));
    EXPECT_FALSE(run.window.send1Enabled());
}

TEST(StoppedLoadAll, AFirstRequestFinishesTheMemoryAndSendsNoMore) {
    LoadAll run({}, 5);
    run.connectUsb();
    run.ui.stopWhenStatus("Sending DATA... to Memory 2", 1);
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.writtenMemories, (std::vector<int>{1, 2}));
    EXPECT_EQ(run.unit->unit().memory(2), run.entry(2));
    EXPECT_FALSE(run.unit->unit().memory(3));
    EXPECT_EQ(run.unit->unit().status().firmwareWrites, 0);
    EXPECT_EQ(run.lastMessage(), "The update was stopped. Memories written: 1, 2; memories 3 to 5 keep their old "
                                 "programs; the DSP Operating System was not updated. Connect the cabinet and run the "
                                 "update again.");
    EXPECT_TRUE(run.window.send1Enabled());  // the user can start again
}

TEST(StoppedLoadAll, ASecondRequestCutsTheMemoryAndTheUnitAnswersTheNextRun) {
    LoadAll run({}, 3);
    run.connectUsb();
    run.ui.stopWhenStatus("Sending DATA... to Memory 2", 2);
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.writtenMemories, (std::vector<int>{1}));
    EXPECT_FALSE(run.unit->unit().memory(2));
    EXPECT_FALSE(run.link.usb.isOpen());
    EXPECT_FALSE(run.ui.transferWindowVisible);

    run.ui.onPump = nullptr;
    run.ui.stop.clear();
    EXPECT_TRUE(run.window.loadAllMemories(run.firmware).complete());
    EXPECT_EQ(run.unit->unit().memory(2), run.entry(2));
}

TEST(StoppedLoadAll, TheOperatingSystemGoesOnAfterAWarningUnlessAskedTwice) {
    LoadAll once({}, 2);
    once.connectUsb();
    once.ui.stopWhenStatus("Sending DATA... DSP Program ", 1);
    EXPECT_TRUE(once.window.loadAllMemories(once.firmware).complete());
    EXPECT_TRUE(once.said(kOperatingSystemStopWarning));
    EXPECT_EQ(once.lastMessage(), "Turn Off and ON the cabinet.");
    EXPECT_EQ(once.unit->unit().status().firmwareWrites, 1);

    LoadAll twice({}, 2);
    twice.connectUsb();
    twice.ui.stopWhenStatus("Sending DATA... DSP Program ", 2);
    const auto report = twice.window.loadAllMemories(twice.firmware);
    EXPECT_TRUE(report.operatingSystemCutShort);
    EXPECT_EQ(report.writtenMemories, (std::vector<int>{1, 2}));
    EXPECT_EQ(twice.unit->unit().status().firmwareWrites, 0);
    EXPECT_NE(twice.lastMessage().find("the DSP Operating System transfer was cut short"), std::string::npos)
        << twice.lastMessage();
}

TEST(LoadAllRun, OverTheSerialLineAloneNothingIsSent) {
    LoadAll run({}, 2);
    run.state.Link = LinkKind::COM1;
    run.state.SerialActive = true;
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(report.writtenMemories.empty());
    EXPECT_FALSE(report.operatingSystemSent);
    EXPECT_EQ(run.unit->unit().exchangeCount(), 0);
    EXPECT_EQ(run.lastMessage(), "The memories are written over USB or Ethernet only; nothing was sent to the HALDA40.");
}

TEST(LoadAllRun, ABackupWithAnEmptyMemoryIsNotWrittenAsALibrary) {
    LoadAll run({}, 1);
    ASSERT_TRUE(appendLibraryEntry(run.window.buffer, ProgramImage{}));  // memory 2 read back empty
    run.connectUsb();
    const auto report = run.window.loadAllMemories(run.firmware);
    EXPECT_TRUE(report.writtenMemories.empty());
    EXPECT_FALSE(report.operatingSystemSent);
    EXPECT_FALSE(run.unit->unit().memory(1));
    EXPECT_NE(run.lastMessage().find("write it back with Restore"), std::string::npos) << run.lastMessage();
}

TEST(LibraryWindow, ChoosingAModelOpensItsLibraryAndTheServiceUnlockFreesTheList) {
    LoadAll run({}, 0);
    run.window.dataDirectories = {std::filesystem::temp_directory_path() / "vela-no-data"};
    run.windowState.sendPanelVisible = true;
    run.windowState.chooseRow(28);
    EXPECT_EQ(run.window.libraryFileName, "M06ps2.HLB");
    EXPECT_EQ(run.window.send1Caption, "Update M06ps2");
    EXPECT_FALSE(run.windowState.sendPanelVisible);  // no USB link
    EXPECT_NE(run.lastMessage().find("M06ps2.HLB"), std::string::npos);

    run.window.openManual();
    // The message names the file and every place it was looked for.
    EXPECT_EQ(run.lastMessage().rfind("The manual M06ps.pdf is not installed with this program (looked in ", 0), 0u);
    EXPECT_NE(run.lastMessage().find("vela-no-data"), std::string::npos);

    run.windowState.modelListEnabled = false;
    for (int i = 0; i < 3; ++i) run.window.countLogoClick();
    EXPECT_FALSE(run.window.passwordEditVisible);
    run.window.countLogoClick();
    EXPECT_TRUE(run.window.passwordEditVisible);
    EXPECT_EQ(run.state.ServiceClickCount, 0);
    run.window.enterServiceCode("nope");
    EXPECT_FALSE(run.windowState.modelListEnabled);
    run.window.enterServiceCode(run.window.ServiceCode);
    EXPECT_TRUE(run.windowState.modelListEnabled);
}

}  // namespace
}  // namespace vela
