// The connection step over USB: probe, read-back and the library window's model list.
#include "session/connection.h"
#include "session/session_harness.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

TEST(UsbConnect, ReadsTheModelCodeAndLocksTheListToItsRow) {
    sim::SimOptions o;
    o.modelCode = 4;
    SessionHarness h(o);
    std::vector<int> opened;
    h.session.libraryWindow.changeAction = [&](int row) { opened.push_back(row); };
    switchLink(h.session, LinkKind::USB);

    const auto& s = h.session;
    EXPECT_EQ(s.state.Link, LinkKind::USB);
    EXPECT_TRUE(s.state.UsbActive);
    EXPECT_TRUE(s.state.LibraryLoadLocked);
    EXPECT_EQ(s.libraryWindow.selectedRow, 2);
    EXPECT_FALSE(s.libraryWindow.modelListEnabled);
    EXPECT_FALSE(s.libraryWindow.sendPanelVisible);
    EXPECT_TRUE(s.libraryWindow.visible);
    EXPECT_FALSE(s.windows.connectFormVisible);
    EXPECT_EQ(opened, std::vector<int>{2});
    EXPECT_EQ(h.ui.lastStatus(StatusField::ConnectedL), "Status : USB");
    EXPECT_TRUE(s.link.unitCommands.enabled);
    EXPECT_FALSE(s.link.usb.isOpen());
    EXPECT_EQ(h.commands(), (std::vector<int>{0, 4}));
}

TEST(UsbConnect, AUnitWithNoProgramFreesTheListAndShowsTheSendPanel) {
    sim::SimOptions o;
    o.empty = true;
    SessionHarness h(o);
    switchLink(h.session, LinkKind::USB);
    const auto& s = h.session;
    EXPECT_FALSE(s.state.LibraryLoadLocked);
    EXPECT_TRUE(s.libraryWindow.modelListEnabled);
    EXPECT_TRUE(s.libraryWindow.sendPanelVisible);
    EXPECT_EQ(s.state.Link, LinkKind::USB);
    // The probe, the read request, the probe after the empty answer, the closing probe.
    EXPECT_EQ(h.commands(), (std::vector<int>{0, 4, 0, 0}));
    EXPECT_FALSE(s.link.usb.isOpen());
}

TEST(UsbConnect, WithNoBridgeReportsItAndStaysOffline) {
    ScriptedUi ui;
    Session s(ui, LinkDevices{[](int) { return std::unique_ptr<ByteChannel>(); }, nullptr, nullptr});
    switchLink(s, LinkKind::USB);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text,
              "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
              "Found....");
    EXPECT_EQ(s.state.Link, LinkKind::Offline);
    EXPECT_FALSE(s.state.UsbActive || s.state.EthernetActive || s.state.SerialActive);
    EXPECT_TRUE(s.libraryWindow.visible);
    EXPECT_FALSE(s.link.unitCommands.enabled);
}

TEST(UsbConnect, SomethingThatDoesNotAnswerIsNotAHalda40) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::Start, 0}};
    SessionHarness h(o);
    switchLink(h.session, LinkKind::USB);
    EXPECT_TRUE(h.said("This is not a HALDA40 processor, It cannot communicate."));
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoLabel), "Status : Offline");
    EXPECT_EQ(h.session.state.Link, LinkKind::Offline);
    EXPECT_FALSE(h.session.state.UsbActive);
    EXPECT_FALSE(h.session.link.usb.isOpen());
}

TEST(UsbConnect, DropsAnEthernetStateFirst) {
    SessionHarness h;
    switchLink(h.session, LinkKind::Ethernet);
    EXPECT_TRUE(h.session.state.EthernetActive);
    EXPECT_TRUE(h.session.windows.ethernetFormVisible);
    EXPECT_TRUE(h.session.link.unitCommands.enabled);
    switchLink(h.session, LinkKind::USB);
    EXPECT_FALSE(h.session.state.EthernetActive);
    EXPECT_TRUE(h.session.state.UsbActive);
    EXPECT_TRUE(h.ui.hasStatus("Status : Offline"));
}

TEST(Offline, IsTheLinkLostActionOfEveryChannel) {
    SessionHarness h;
    h.useUsb();
    h.session.link.runOfflineAction();
    EXPECT_EQ(h.session.state.Link, LinkKind::Offline);
    EXPECT_FALSE(h.session.state.UsbActive);
    EXPECT_FALSE(h.session.link.unitCommands.enabled);
    EXPECT_FALSE(h.session.state.EqRefreshSuppressed);
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoLabel), "Status : Offline");
}

}  // namespace
}  // namespace vela::test
