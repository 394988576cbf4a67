// Real-time frames: sent at once on every active link, never answered.
#include "link/realtime.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

#include <thread>

namespace vela::test {
namespace {

TEST(RealTimeFrames, ASectionIs27BytesAndAValue11OnEveryLink) {
    for (const Channel c : {Channel::Usb, Channel::Ethernet, Channel::Serial}) {
        SimHarness h(c);
        if (c == Channel::Ethernet) h.link->ethernet.ReconnectEthernet();
        RealTimeSender rt(*h.link);
        // The designers reach the sender through their sink.
        dsp::RealTimeSink& sink = rt;
        sink.setTarget(2);
        const std::uint32_t words[5] = {0x00800000, 0x0F800000, 1, 2, 3};
        sink.send(dsp::RealTimeType::FiveWords, 0x0123, words);
        rt.SendParameterValue(65792, 2);
        h.unit->waitIdle(std::chrono::seconds(5));
        for (int i = 0; i < 100 && h.unit->realTimeFrames().size() < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            h.unit->waitIdle(std::chrono::seconds(5));
        }
        const auto frames = h.unit->realTimeFrames();
        ASSERT_EQ(frames.size(), 2u) << channelName(c);
        EXPECT_EQ(frames[0].size(), 27u);
        EXPECT_EQ(Bytes(frames[0].begin(), frames[0].begin() + 10),
                  (Bytes{0x65, 0x12, 0x02, 0x00, 0x01, 0x23, 0x00, 0x80, 0x00, 0x00}));
        EXPECT_EQ(frames[1], (Bytes{0x65, 0x12, 0x02, 0x02, 0x00, 0x02, 0x00, 0x01, 0x01, 0x00, 0x55}));
        EXPECT_FALSE(h.state.RealTimeBusy);
        EXPECT_TRUE(h.ui.messages.empty());
        if (c == Channel::Usb) {
            EXPECT_FALSE(h.link->usb.isOpen());  // opened and closed for each frame
        }
    }
}

TEST(RealTimeFrames, WithNoLinkActiveNothingIsSent) {
    SimHarness h(Channel::Usb);
    h.state.UsbActive = false;
    RealTimeSender rt(*h.link);
    rt.SendParameterValue(-1, 0xFFFF);
    EXPECT_EQ(Bytes(rt.RealTimeMessage.begin(), rt.RealTimeMessage.begin() + 6),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    // A frame sent once the link is back arrives after anything sent before it: when it is
    // the only one the unit saw, the first was never sent.
    h.state.UsbActive = true;
    rt.SendParameterValue(7, 3);
    h.unit->waitIdle(std::chrono::seconds(5));
    for (int i = 0; i < 100 && h.unit->realTimeFrames().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        h.unit->waitIdle(std::chrono::seconds(5));
    }
    const auto frames = h.unit->realTimeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Bytes(frames[0].begin() + 4, frames[0].end()), (Bytes{0x00, 0x03, 0x00, 0x00, 0x00, 0x07, 0x55}));
}

TEST(RealTimeFrames, ABridgeThatCannotOpenIsReportedAndNothingSent) {
    ScriptedUi ui;
    SessionState state;
    state.UsbActive = true;
    state.Link = LinkKind::USB;
    DeviceLink link(state, ui, LinkDevices{[](int) { return std::unique_ptr<ByteChannel>(); }, nullptr, nullptr});
    RealTimeSender rt(link);
    rt.SendParameterValue(1, 1);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text,
              "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
              "Found....");
    EXPECT_EQ(ui.messages[1].text, "USB ERROR REAL TIME");
    EXPECT_FALSE(state.UsbActive);
    EXPECT_FALSE(state.RealTimeBusy);
}

// A socket (or a bridge) takes a frame at once; paced to the line, the next waits until the
// last one has crossed the unit's serial side at 57600 baud (10 bits a byte), so frames never
// pile up ahead of the unit. A lower bound on the time is never flaky.
TEST(RealTimeFrames, FramesArePacedToTheLine) {
    SimHarness h(Channel::Ethernet);
    h.link->ethernet.ReconnectEthernet();
    RealTimeSender rt(*h.link);
    constexpr int kFrames = 40;
    const std::uint32_t words[5] = {1, 2, 3, 4, 5};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) rt.sendWords(0, static_cast<std::uint16_t>(i), words);
    const auto took = std::chrono::steady_clock::now() - start;
    const auto line = std::chrono::microseconds((kFrames - 1) * 27 * 10 * 1'000'000LL / 57600);
    EXPECT_GE(took, line);
}

}  // namespace
}  // namespace vela::test
