#include "link/device_link.h"
#include "link/tty_port.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"

#include <chrono>
#include <gtest/gtest.h>

namespace vela {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct UsbFixture : ::testing::Test {
    test::PtyPair pty;
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link{state, ui, LinkDevices{[this](int index) -> std::unique_ptr<ByteChannel> {
                                               if (index != 0) return nullptr;
                                               return std::make_unique<TtyPort>(pty.slavePath());
                                           },
                                           nullptr, nullptr}};
};

TEST(UsbErrors, CallerTextWithTheStatusSuffix) {
    EXPECT_EQ(usbErrorMessage("FT_Close", FT_OK), "FT_Close");
    EXPECT_EQ(usbErrorMessage("FT_Close", FT_INVALID_HANDLE), "FT_Close - Invalid Handle...");
    EXPECT_EQ(usbErrorMessage("x", FT_DEVICE_NOT_FOUND), "x - Device Not Found....");
    EXPECT_EQ(usbErrorMessage("x", FT_DEVICE_NOT_OPENED), "x - Device Not Opened...");
    EXPECT_EQ(usbErrorMessage("x", FT_IO_ERROR), "x - General IO Error...");
    EXPECT_EQ(usbErrorMessage("x", FT_INSUFFICIENT_RESOURCES), "x - Insufficient Resources...");
    EXPECT_EQ(usbErrorMessage("x", FT_INVALID_PARAMETER), "x - Invalid Parameter ...");
    EXPECT_EQ(usbErrorMessage("USB Read Failed", 7), "USB Read Failed");
    EXPECT_EQ(usbErrorMessage("USB Read Failed", 18), "USB Read Failed");
}

TEST(UsbErrors, NoBridgeLeavesTheSystemOffline) {
    test::ScriptedUi ui;
    SessionState state;
    state.Link = LinkKind::Ethernet;
    state.EthernetActive = true;
    DeviceLink link(state, ui, LinkDevices{[](int) { return std::unique_ptr<ByteChannel>(); }, nullptr, nullptr});
    link.usb.UsbConnect();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text,
              "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
              "Found....");
    EXPECT_EQ(state.Link, LinkKind::Offline);
    EXPECT_FALSE(state.UsbActive || state.EthernetActive || state.SerialActive);
    EXPECT_FALSE(link.unitCommands.enabled);
}

TEST(UsbErrors, ReportingSwitchedOffSaysNothing) {
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link(state, ui, LinkDevices{});
    link.usb.settings.reportErrors = false;
    EXPECT_EQ(link.usb.UsbOpen(), FT_DEVICE_NOT_FOUND);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(UsbFixture, ConnectAppliesTheSettingsAndClosesAgain) {
    link.usb.UsbConnect();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(state.Link, LinkKind::USB);
    EXPECT_TRUE(state.UsbActive);
    EXPECT_TRUE(link.unitCommands.enabled);
    EXPECT_FALSE(link.usb.isOpen());
    const termios t = pty.slaveSettings();
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(link.usb.driver().readTimeout(), std::chrono::milliseconds(1000));
}

TEST_F(UsbFixture, BytesGoOutInOrderAndRepliesComeBack) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    ASSERT_TRUE(link.usb.writeBytes(Bytes{0x65, 0x03, 0x05, 0x05}));
    EXPECT_EQ(pty.receive(4, std::chrono::seconds(2)), (Bytes{0x65, 0x03, 0x05, 0x05}));
    pty.send({0x65, 0x03});
    ASSERT_FALSE(link.usb.readReplyByte());
    EXPECT_EQ(link.buffers.LastReplyByte, 0x65);
    ASSERT_FALSE(link.usb.readReplyByte());  // the oldest byte first
    EXPECT_EQ(link.buffers.LastReplyByte, 0x03);

    Bytes block(100);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
    pty.send(Bytes(block.begin(), block.begin() + 30));
    pty.send(Bytes(block.begin() + 30, block.end()));
    Bytes got(100);
    ASSERT_FALSE(link.usb.readBlock(got.data(), got.size()));
    EXPECT_EQ(got, block);
    EXPECT_EQ(link.usb.UsbClose(), FT_OK);
}

TEST_F(UsbFixture, ASilentUnitIsAFailedReplyNotTheStaleByte) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    pty.send({0x55});
    ASSERT_FALSE(link.usb.readReplyByte());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(link.usb.readReplyByte());  // nothing comes: UsbReceiveBuffer[0] still holds 0x55
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
    EXPECT_EQ(link.buffers.LastReplyByte, 0x55);
    Bytes got(64);
    EXPECT_TRUE(link.usb.readBlock(got.data(), got.size()));  // and a block read gives up too
    link.usb.UsbClose();
}

TEST_F(UsbFixture, CallsOnAClosedDeviceReportInvalidHandle) {
    EXPECT_EQ(link.usb.UsbClose(), FT_INVALID_HANDLE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "FT_Close - Invalid Handle...");
    EXPECT_EQ(link.usb.UsbRead(1), 0u);
    EXPECT_EQ(ui.messages.back().text, "USB Read Failed - Invalid Handle...");
}

}  // namespace
}  // namespace vela
