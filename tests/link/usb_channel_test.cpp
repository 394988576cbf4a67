#include "link/device_link.h"
#include "link/tty_port.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"

#include "link/permission_hint.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <optional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(UsbErrors, ARefusedBridgeSaysWhyAfterTheStatus) {
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link(state, ui, LinkDevices{[](int) { return std::make_unique<TtyPort>("/dev/vela-no-such-tty"); },
                                           nullptr, nullptr});
    link.usb.UsbConnect();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
              "Opened...\n/dev/vela-no-such-tty: No such file or directory");
}

// The text a user without the rights to the bridge gets from opening it; nothing where the
// test cannot become such a user. Root may open anything, so the open runs in a child that
// gives up root first.
std::optional<std::string> refusedOpenText(const std::string& device) {
    if (::getuid() != 0) {
        TtyPort port(device);
        return port.open() ? std::string() : port.errorText();
    }
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        TtyPort port(device);
        const std::string text = port.open() ? std::string() : port.errorText();
        const bool ok = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return std::nullopt;
    return text;
}

TEST(UsbErrors, PermissionRefusedNamesTheDeviceItsGroupAndBothFixes) {
    const std::string device = (std::filesystem::temp_directory_path() /
                                ("vela-tty-" + std::to_string(::getpid()))).string();
    std::fclose(std::fopen(device.c_str(), "w"));
    ::chmod(device.c_str(), 0);
    const auto text = refusedOpenText(device);
    const std::string expected = permissionDeniedMessage(device);
    std::filesystem::remove(device);
    if (!text) GTEST_SKIP() << "cannot open as a user without rights here";
    const group* g = ::getgrgid(::getgid());
    ASSERT_NE(g, nullptr);
    const std::string groupName = g->gr_name;
    EXPECT_EQ(*text, expected);
    EXPECT_EQ(text->rfind(device + ": permission denied (the device belongs to the group " + groupName + ")", 0), 0u)
        << *text;
    EXPECT_NE(text->find("udev rule"), std::string::npos) << *text;
    EXPECT_NE(text->find("sudo usermod -aG " + groupName + " $USER"), std::string::npos) << *text;
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
