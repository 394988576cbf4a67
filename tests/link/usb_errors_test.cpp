// The bridge's error reports, whatever reaches the bridge.
#include "link/device_link.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

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
    DeviceLink link(state, ui,
                    LinkDevices{[](int) { return std::unique_ptr<ByteChannel>(); }, nullptr, nullptr});
    link.usb.UsbConnect();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(
        ui.messages[0].text,
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

} // namespace
} // namespace vela
