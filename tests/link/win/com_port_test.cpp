// The COM-port channel. The tests that need a port reach the simulated unit through the one
// named by VELA_TEST_COM (COM5 or above, which tests/link/wine_com_port.sh maps to the Linux
// simulator's pseudo-terminal); without it they are skipped.
#include "link/device_link.h"
#include "link/port_discovery.h"
#include "link/win/com_port.h"
#include "unit_round_trip.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

namespace vela {
namespace {

TEST(ComPort, AMissingPortSaysItDoesNotExist) {
    ComPort port("COM250");
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.errorText(), "COM250 does not exist on this computer");
}

TEST(ComPort, ARefusedOpenIsAPortInUseNotAPermission) {
    EXPECT_EQ(comPortOpenFailure("COM5", ERROR_ACCESS_DENIED), "COM5 is in use by another program");
    EXPECT_EQ(comPortOpenFailure("COM5", ERROR_SHARING_VIOLATION), "COM5 is in use by another program");
    EXPECT_EQ(comPortOpenFailure("COM9", ERROR_FILE_NOT_FOUND), "COM9 does not exist on this computer");
    EXPECT_EQ(comPortOpenFailure("COM9", ERROR_GEN_FAILURE).rfind("COM9: ", 0), 0u);
}

TEST(ComPort, ASerialPortIsNamedAsTheUserNamesIt) {
    EXPECT_EQ(serialPortChannel("COM7")->address(), "COM7");
    EXPECT_EQ(usbLocator("COM12")(0)->address(), "COM12");
    EXPECT_EQ(usbLocator("\\\\.\\COM12")(0)->address(), "COM12"); // as the system lists it
    EXPECT_EQ(fallbackSerialPort(), "COM1");
}

class ComPortToTheUnit : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* name = std::getenv("VELA_TEST_COM");
        if (!name || !*name) GTEST_SKIP() << "VELA_TEST_COM names no port mapped to the simulated unit";
        port = name;
        // COM1..COM4 may be this machine's real serial ports under Wine.
        if (port.size() == 4 && port.rfind("COM", 0) == 0 && port[3] >= '1' && port[3] <= '4')
            GTEST_SKIP() << port << " may be a real port: use COM5 or above";
    }

    std::string port;
    test::ScriptedUi ui;
    SessionState state;
};

// Wine lets a second opener share a port; Windows itself keeps it to one.
bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(ComPortToTheUnit, ASecondOpenIsRefusedAsInUse) {
    if (underWine()) GTEST_SKIP() << "Wine does not keep a COM port to one opener";
    ComPort first(port);
    ASSERT_TRUE(first.open()) << first.errorText();
    ComPort second(port);
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.errorText(), port + " is in use by another program");
    first.close();
    EXPECT_TRUE(second.open()) << second.errorText(); // free again once the holder lets go
}

TEST_F(ComPortToTheUnit, WritesAProgramAndReadsItBackOverTheSerialLine) {
    DeviceLink link(state, ui, LinkDevices{nullptr, serialPortChannel(port), nullptr});
    state.Link = LinkKind::COM1;
    state.SerialActive = true;
    const auto program = test::sampleProgram();
    EXPECT_EQ(test::writeAndReadBack(link, Channel::Serial, 6, program), program);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

TEST_F(ComPortToTheUnit, WritesAProgramAndReadsItBackOverTheBridgesComPort) {
    DeviceLink link(state, ui, LinkDevices{usbLocator(port), nullptr, nullptr});
    state.Link = LinkKind::USB;
    state.UsbActive = true;
    const auto program = test::sampleProgram();
    EXPECT_EQ(test::writeAndReadBack(link, Channel::Usb, 7, program), program);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

} // namespace
} // namespace vela
