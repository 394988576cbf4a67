#include "link/device_link.h"
#include "link/loopback_peer.h"
#include "link/tcp_socket.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>
#include <thread>

namespace vela {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::LoopbackPeer;

LinkDevices tcpDevices() {
    return LinkDevices{nullptr, nullptr, makeTcpSocket};
}

struct EthernetFixture : ::testing::Test {
    LoopbackPeer peer;
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link{state, ui, tcpDevices()};
    void SetUp() override {
        state.Link = LinkKind::Ethernet;
        state.EthernetActive = true;
        link.ethernet.setAddress("127.0.0.1", peer.port());
        ASSERT_TRUE(link.ethernet.ReconnectEthernet());
        peer.accept();
    }
};

TEST_F(EthernetFixture, EachReadTakesAtMost101BytesAndLeavesTheRest) {
    ASSERT_TRUE(link.ethernet.writeBytes(Bytes{0x65}));
    EXPECT_EQ(peer.receive(1), Bytes{0x65});
    Bytes reply(150);
    for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_TRUE(peer.send(reply));
    ASSERT_FALSE(link.WaitForReply(false));
    EXPECT_EQ(link.buffers.LastReplyByte, 1);
    EXPECT_EQ(link.buffers.EthernetReceiveCount, 101);
    EXPECT_FALSE(link.buffers.EthernetDataReceived);
    ASSERT_FALSE(link.WaitForReply(false));
    EXPECT_EQ(link.buffers.EthernetReceiveCount, 49);
    EXPECT_EQ(link.buffers.LastReplyByte, 102);
    // Each event clears the whole buffer first.
    EXPECT_EQ(link.buffers.EthernetReceiveBuffer[48], 150);
    EXPECT_EQ(link.buffers.EthernetReceiveBuffer[49], 0);
}

TEST_F(EthernetFixture, AnEventBeforeTheWaitSatisfiesItAtOnce) {
    EXPECT_TRUE(peer.send({0x55}));
    ASSERT_TRUE(link.ethernet.pollReceive(std::chrono::seconds(2)));
    ASSERT_FALSE(link.WaitForReply(false));
    EXPECT_EQ(link.buffers.LastReplyByte, 0x55);
}

Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i + 1);
    return b;
}

TEST_F(EthernetFixture, ABlockInPiecesCloseTogetherIsOneReceiveEvent) {
    const Bytes block = counting(64);
    std::jthread module([&] {
        EXPECT_TRUE(peer.send(Bytes(block.begin(), block.begin() + 20)));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(peer.send(Bytes(block.begin() + 20, block.end())));
    });
    ASSERT_FALSE(link.waitForEthernetReply(64));
    module.join();
    ASSERT_EQ(link.buffers.EthernetReceiveCount, 64);
    EXPECT_EQ(Bytes(link.buffers.EthernetReceiveBuffer.begin(), link.buffers.EthernetReceiveBuffer.begin() + 64), block);
}

TEST_F(EthernetFixture, APieceLaterThanTheSettleTimeIsTheNextEvent) {
    const Bytes block = counting(64);
    std::jthread module([&] {
        EXPECT_TRUE(peer.send(Bytes(block.begin(), block.begin() + 20)));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(peer.send(Bytes(block.begin() + 20, block.end())));
    });
    ASSERT_FALSE(link.waitForEthernetReply(64));
    EXPECT_EQ(link.buffers.EthernetReceiveCount, 20);
    EXPECT_EQ(link.buffers.EthernetReceiveBuffer[20], 0);
    ASSERT_FALSE(link.waitForEthernetReply(44));
    EXPECT_EQ(link.buffers.EthernetReceiveCount, 44);
    EXPECT_EQ(link.buffers.LastReplyByte, 21);
}

TEST_F(EthernetFixture, AnAnswerThatCameBeforeTheModuleHungUpIsStillTaken) {
    EXPECT_TRUE(peer.send({0x65}));
    peer.hangUp();
    ASSERT_FALSE(link.WaitForReply(false));
    EXPECT_EQ(link.buffers.LastReplyByte, 0x65);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EthernetFixture, AHangUpDuringTheWaitReportsDropsTheLinkAndAbandonsAtOnce) {
    std::jthread module([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        peer.hangUp();
    });
    EXPECT_THROW(link.WaitForReply(false), LinkAbandoned);
    EXPECT_FALSE(link.buffers.ReplyTimedOut);  // the close ended it, not the time-out
    ASSERT_EQ(ui.messages.size(), 1u);
    // The dialog's text, then the module's address and port and what the socket said, in the
    // same words on every system.
    EXPECT_EQ(ui.messages[0].text, "ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct and the "
                                   "Processor is Switched ON\n127.0.0.1:" + std::to_string(peer.port()) +
                                       ": The remote host closed the connection");
    EXPECT_EQ(state.Link, LinkKind::Offline);
    EXPECT_FALSE(state.EthernetActive);
}

TEST_F(EthernetFixture, NoReplyFailsWithoutAMessage) {
    EXPECT_TRUE(link.WaitForReply(false));
    EXPECT_TRUE(link.buffers.ReplyTimedOut);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(state.EthernetActive);
}

TEST_F(EthernetFixture, EveryExchangeGetsAFreshConnection) {
    ASSERT_TRUE(link.ethernet.ReconnectEthernet());
    LoopbackPeer* p = &peer;
    p->accept();
    ASSERT_TRUE(link.ethernet.writeBytes(Bytes{0x11, 0x22}));
    EXPECT_EQ(p->receive(2), (Bytes{0x11, 0x22}));
}

TEST(EthernetErrors, AConnectionErrorReportsDropsTheLinkAndAbandons) {
    std::uint16_t port;
    {
        LoopbackPeer closed;  // a port that nothing listens on once it is gone
        port = closed.port();
    }
    test::ScriptedUi ui;
    SessionState state;
    state.Link = LinkKind::Ethernet;
    state.EthernetActive = true;
    DeviceLink link(state, ui, tcpDevices());
    link.ethernet.setAddress("127.0.0.1", port);
    ui.showTransferWindow();
    EXPECT_THROW(link.ethernet.ReconnectEthernet(), LinkAbandoned);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct and the "
                                   "Processor is Switched ON\n127.0.0.1:" + std::to_string(port) +
                                       ": Connection refused");
    EXPECT_EQ(state.Link, LinkKind::Offline);
    EXPECT_FALSE(state.UsbActive || state.EthernetActive || state.SerialActive);
    EXPECT_EQ(ui.lastStatus(StatusField::InfoLabel), "Status: Offline");
    EXPECT_FALSE(ui.transferWindowVisible);
    EXPECT_FALSE(link.ethernet.isActive());
}

}  // namespace
}  // namespace vela
