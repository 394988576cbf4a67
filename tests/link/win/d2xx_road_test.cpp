// The USB road through the bridge maker's library: the test double of ftd2xx.dll beside this
// program lists one bridge while VELA_FTD2XX_DOUBLE names a TCP peer, and carries the
// bridge's bytes to it. The peer is a socket of the test, or the simulated unit itself when
// VELA_TEST_SIM_TCP names where `velaupdate sim --tcp` serves it.
#include "link/device_link.h"
#include "link/loopback_peer.h"
#include "link/port_discovery.h"
#include "link/win/d2xx_library.h"
#include "unit_round_trip.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>

namespace vela {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Where the double finds its peer, for the life of one test.
class DoublePeer {
  public:
    explicit DoublePeer(const std::string& address) { SetEnvironmentVariableA(kName, address.c_str()); }
    ~DoublePeer() { SetEnvironmentVariableA(kName, nullptr); }
    DoublePeer(const DoublePeer&) = delete;
    DoublePeer& operator=(const DoublePeer&) = delete;

  private:
    static constexpr const char* kName = "VELA_FTD2XX_DOUBLE";
};

int latencyTimerOfTheDouble() {
    using Get = unsigned char(__stdcall*)();
    const auto get = reinterpret_cast<Get>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ftd2xx.dll"), "VelaDoubleLatencyTimer")));
    return get ? get() : -1;
}

class D2xxRoad : public ::testing::Test {
  protected:
    void SetUp() override {
        // Built with this program and put beside it.
        ASSERT_NE(d2xx::library(), nullptr) << "the ftd2xx.dll double is not beside the test program";
        state.Link = LinkKind::USB;
        state.UsbActive = true;
    }

    test::LoopbackPeer peer; // the unit's side of the bridge
    DoublePeer listed{"127.0.0.1:" + std::to_string(peer.port())};
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link{state, ui, LinkDevices{usbLocator(), nullptr, nullptr}};
};

TEST_F(D2xxRoad, TheListedBridgeIsOpenedThroughTheLibraryWithItsLatencyTimerAt2ms) {
    EXPECT_EQ(d2xx::bridgeCount(), 1);
    EXPECT_EQ(usbLocator()(0)->address(), "USB bridge 1 (D2XX)");
    EXPECT_EQ(usbLocator()(1), nullptr);
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    peer.accept();
    EXPECT_EQ(latencyTimerOfTheDouble(), 2);
    link.usb.UsbClose();
}

TEST_F(D2xxRoad, BytesGoOutInOrderAndRepliesComeBack) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    peer.accept();
    ASSERT_TRUE(link.usb.writeBytes(Bytes{0x65, 0x03, 0x05, 0x05}));
    EXPECT_EQ(peer.receive(4), (Bytes{0x65, 0x03, 0x05, 0x05}));
    ASSERT_TRUE(peer.send({0x65, 0x03}));
    ASSERT_FALSE(link.usb.readReplyByte());
    EXPECT_EQ(link.buffers.LastReplyByte, 0x65);
    ASSERT_FALSE(link.usb.readReplyByte()); // the oldest byte first
    EXPECT_EQ(link.buffers.LastReplyByte, 0x03);

    Bytes block(100);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(peer.send(Bytes(block.begin(), block.begin() + 30)));
    ASSERT_TRUE(peer.send(Bytes(block.begin() + 30, block.end())));
    Bytes got(100);
    ASSERT_FALSE(link.usb.readBlock(got.data(), got.size()));
    EXPECT_EQ(got, block);
    EXPECT_EQ(link.usb.UsbClose(), FT_OK);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(D2xxRoad, ASilentUnitIsAFailedReplyAfterTheReadTimeOut) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    peer.accept();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(link.usb.readReplyByte());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    link.usb.UsbClose();
}

TEST_F(D2xxRoad, AnUnpluggedBridgeIsAReadErrorNotASilentUnit) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    peer.accept();
    peer.hangUp();
    EXPECT_TRUE(link.usb.readReplyByte());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text,
              "USB Read Failed - General IO Error...\nUSB bridge 1 (D2XX): FT_Read: I/O error");
    EXPECT_EQ(state.Link, LinkKind::Offline);
}

TEST_F(D2xxRoad, ABridgeAnotherProgramHoldsIsReportedAsInUse) {
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    test::ScriptedUi otherUi;
    SessionState other;
    DeviceLink second(other, otherUi, LinkDevices{usbLocator(), nullptr, nullptr});
    second.usb.UsbConnect();
    ASSERT_EQ(otherUi.messages.size(), 1u);
    EXPECT_EQ(
        otherUi.messages[0].text,
        "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
        "Opened...\nUSB bridge 1 (D2XX) is in use by another program, or was unplugged");
    link.usb.UsbClose();
}

TEST(D2xxRoadToTheUnit, WritesAProgramAndReadsItBack) {
    const char* unit = std::getenv("VELA_TEST_SIM_TCP");
    if (!unit || !*unit) GTEST_SKIP() << "VELA_TEST_SIM_TCP names no simulated unit (velaupdate sim --tcp)";
    ASSERT_NE(d2xx::library(), nullptr) << "the ftd2xx.dll double is not beside the test program";
    const DoublePeer listed(unit);
    test::ScriptedUi ui;
    SessionState state;
    state.Link = LinkKind::USB;
    state.UsbActive = true;
    DeviceLink link(state, ui, LinkDevices{usbLocator(), nullptr, nullptr});
    const auto program = test::sampleProgram();
    EXPECT_EQ(test::writeAndReadBack(link, Channel::Usb, 5, program), program);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

} // namespace
} // namespace vela
