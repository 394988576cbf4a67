#include "link/device_link.h"
#include "link/tty_port.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SerialFixture : ::testing::Test {
    test::PtyPair pty;
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link{state, ui, LinkDevices{nullptr, std::make_unique<TtyPort>(pty.slavePath()), nullptr}};
    void SetUp() override {
        state.SerialActive = true;
        ASSERT_TRUE(link.serial.SerialOpen());
    }
};

TEST_F(SerialFixture, OpensWithTheLineSettings) {
    const termios t = pty.slaveSettings();
    EXPECT_EQ(cfgetispeed(&t), B57600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
}

TEST_F(SerialFixture, AReplyInSeveralPiecesIsSeenAsItsFirstEvent) {
    const Bytes sent{0x65, 0x01, 0x02};
    EXPECT_EQ(link.serial.SerialWrite(sent.data(), sent.size()), 3u);
    EXPECT_EQ(pty.receive(3, std::chrono::seconds(2)), sent);
    pty.send({0x42, 0x43});
    ASSERT_FALSE(link.WaitForReply(true));
    EXPECT_EQ(link.buffers.LastReplyByte, 0x42);
    EXPECT_EQ(link.buffers.SerialReceiveData, (Bytes{0x42, 0x43}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SerialFixture, ATimeOutWithReportGoesOffline) {
    ui.showTransferWindow();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(link.WaitForReply(true));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1950));
    EXPECT_TRUE(link.buffers.ReplyTimedOut);
    EXPECT_EQ(ui.beeps, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Comunication ERROR. Please verify that the COM port selected is correct and there isn't a USB "
              "Connected and your HALDA40 unit is in its Main Menu");
    EXPECT_EQ(state.Link, LinkKind::Offline);
    EXPECT_FALSE(state.SerialActive);
    EXPECT_FALSE(link.serial.isOpen());
    EXPECT_FALSE(ui.transferWindowVisible);
}

TEST_F(SerialFixture, ATimeOutWithoutReportIsSilent) {
    EXPECT_TRUE(link.WaitForReply(false));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(state.SerialActive);
}

}  // namespace
}  // namespace vela
