// The real-time queue: the newest value per address waits, one frame goes out at a time, and
// the last value of a drag always arrives.
#include "link/realtime.h"
#include "link/realtime_queue.h"
#include "dsp/coefficient_word.h"
#include "preset/dynamics_procedures.h"
#include "preset/new_preset.h"
#include "preset/output_procedures.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace vela::test {
namespace {

using dsp::RealTimeType;

void sendValue(dsp::RealTimeSink& sink, RealTimeType type, std::uint16_t address, std::uint32_t value) {
    const std::uint32_t words[5] = {value, value, value, value, value};
    sink.send(type, address, std::span(words, type == RealTimeType::FiveWords ? 5u : 1u));
}

std::vector<RealTimeQueue::Entry> drain(RealTimeQueue& q) {
    std::vector<RealTimeQueue::Entry> out;
    while (auto e = q.take()) out.push_back(*e);
    return out;
}

TEST(RealTimeQueue, NewestValuePerParameterWaitsInTheOrderParametersFirstCame) {
    RealTimeQueue q;
    int wakes = 0;
    q.setWake([&] { ++wakes; });
    sendValue(q, RealTimeType::FiveWords, 10, 1);
    sendValue(q, RealTimeType::FiveWords, 11, 1);
    sendValue(q, RealTimeType::FiveWords, 10, 2);
    sendValue(q, RealTimeType::OneWord, 10, 7);  // another type at the same address is another value
    EXPECT_EQ(wakes, 1);  // only the first change finds the queue empty
    // Another target at the same address is another place: both values go.
    q.setTarget(0);
    sendValue(q, RealTimeType::FiveWords, 10, 3);
    const auto e = drain(q);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].address, 10);
    EXPECT_EQ(e[0].words[0], 2u);
    EXPECT_EQ(e[0].wordCount, 5u);
    EXPECT_FALSE(e[0].target);
    EXPECT_EQ(e[1].address, 11);
    EXPECT_EQ(e[2].type, RealTimeType::OneWord);
    EXPECT_EQ(e[2].wordCount, 1u);
    EXPECT_EQ(e[3].target, std::optional<std::uint8_t>(0));
    EXPECT_EQ(e[3].words[0], 3u);
    sendValue(q, RealTimeType::OneWord, 1, 1);
    EXPECT_EQ(wakes, 2);
}

// The output gains and the RMS tables name their target before every value; held down, their
// controls must still leave one value per parameter waiting, as a band does.
TEST(RealTimeQueue, HeldGainsAndRmsTablesKeepOneValuePerParameter) {
    PresetParameters p;
    SessionState state;
    ScriptedUi ui;
    RealTimeQueue q;
    PresetContext ctx{p, state, ui, kSampleRate, &q};
    ResetPreset(ctx);
    state.RealTimeMode = true;
    for (int i = 0; i < 100; ++i) OutputSetLevelDb(ctx, 0, -20.0 + 0.1 * i);
    auto e = drain(q);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].target, std::optional<std::uint8_t>(0));
    EXPECT_EQ(e[0].type, RealTimeType::OneWordType3);
    EXPECT_EQ(e[0].words[0], dsp::coefficientWord(p.OutputGain[0] * p.MuteFactor[0]));

    for (int i = 0; i < 100; ++i) DynamicsSetThreshold(ctx, DynamicsKind::Rms, 0, -30.0 + 0.5 * (i % 40));
    e = drain(q);
    EXPECT_EQ(e.size(), 9u);  // the table's three single words and six rows of five, once each
}

TEST(RealTimeQueue, ADragFromAnotherThreadEndsWithItsLastValuePerAddress) {
    RealTimeQueue q;
    std::atomic<bool> done{false};
    std::map<std::uint16_t, std::uint32_t> last;
    std::size_t taken = 0;
    std::thread consumer([&] {
        for (;;) {
            const bool finished = done.load();
            while (auto e = q.take()) {
                last[e->address] = e->words[0];
                ++taken;
            }
            if (finished) break;
            std::this_thread::yield();
        }
    });
    constexpr std::uint32_t kChanges = 20000;
    for (std::uint32_t i = 1; i <= kChanges; ++i) sendValue(q, RealTimeType::FiveWords, static_cast<std::uint16_t>(i % 4), i);
    done = true;
    consumer.join();
    for (std::uint16_t a = 0; a < 4; ++a) EXPECT_EQ(last[a], kChanges - ((kChanges - a) % 4)) << a;
    EXPECT_LE(taken, kChanges);
}

// The link's side: frames go out one at a time with the newest values; with real-time mode
// off, or after a failed frame, what waits is dropped.
TEST(RealTimeQueue, SendsWhatWaitsOnTheLinkAndDropsItWhenItCannot) {
    SimHarness h(Channel::Usb);
    RealTimeSender sender(*h.link);
    RealTimeQueue q;
    h.state.RealTimeMode = true;
    for (std::uint32_t v = 1; v <= 50; ++v) sendValue(q, RealTimeType::FiveWords, 0x0101, v);
    sendValue(q, RealTimeType::OneWordType3, 2560, 9);
    EXPECT_EQ(sendWaitingFrames(q, sender).sent, 2u);
    h.unit->waitIdle(std::chrono::seconds(5));
    for (int i = 0; i < 100 && h.unit->realTimeFrames().size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        h.unit->waitIdle(std::chrono::seconds(5));
    }
    const auto frames = h.unit->realTimeFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Bytes(frames[0].begin() + 4, frames[0].begin() + 10), (Bytes{0x01, 0x01, 0x00, 0x00, 0x00, 50}));
    EXPECT_EQ(Bytes(frames[1].begin() + 3, frames[1].end()), (Bytes{0x03, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x09, 0x55}));

    h.state.RealTimeMode = false;
    sendValue(q, RealTimeType::OneWord, 171, 1);
    EXPECT_EQ(sendWaitingFrames(q, sender).sent, 0u);
    EXPECT_EQ(q.waiting(), 0u);
    EXPECT_TRUE(h.ui.messages.empty());
}

TEST(RealTimeQueue, AFailedFrameIsShownOnceAndWhatWaitsBehindItIsDropped) {
    ScriptedUi ui;
    SessionState state;
    state.UsbActive = true;
    state.Link = LinkKind::USB;
    state.RealTimeMode = true;
    DeviceLink link(state, ui, LinkDevices{[](int) { return std::unique_ptr<ByteChannel>(); }, nullptr, nullptr});
    RealTimeSender sender(link);
    RealTimeQueue q;
    for (std::uint16_t a = 1; a <= 5; ++a) sendValue(q, RealTimeType::OneWord, a, a);
    const SentFrames sent = sendWaitingFrames(q, sender);
    EXPECT_EQ(sent.sent, 1u);
    EXPECT_TRUE(sent.failed);
    EXPECT_EQ(q.waiting(), 0u);
    ASSERT_EQ(ui.messages.size(), 2u);  // the bridge's own message, then the real-time error
    EXPECT_EQ(ui.messages[1].text, "USB ERROR REAL TIME");
}

}  // namespace
}  // namespace vela::test
