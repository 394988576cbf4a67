// Real-time frames queued by an editor on the window thread: the worker sends them between
// operations, never inside one, and the newest value per address arrives.
#include "app/window_harness.h"
#include "link/realtime_queue.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>

namespace vela::test {
namespace {

std::vector<std::vector<std::uint8_t>> framesWithin(sim::SimulatedUnit& unit, std::size_t count, int ms) {
    QElapsedTimer t;
    t.start();
    auto frames = unit.realTimeFrames();
    while (frames.size() < count && t.elapsed() < ms) {
        QTest::qWait(5);
        frames = unit.realTimeFrames();
    }
    return frames;
}

TEST(RealTimeWorker, FramesWaitForTheOperationUnderWayThenTheNewestGoesOut) {
    WindowHarness h;
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::USB;
        s.state.UsbActive = true;
        s.state.RealTimeMode = true;
    });
    h.settle();

    std::atomic<bool> release{false};
    h.worker->run([&release](Session&) {
        while (!release) QThread::msleep(2);
    });
    for (std::uint32_t v = 1; v <= 100; ++v) {
        const std::uint32_t words[5] = {v, 0, 0, 0, 0};
        h.worker->realTimeQueue().send(dsp::RealTimeType::FiveWords, 21, words);
    }
    QTest::qWait(50);
    EXPECT_TRUE(h.unit->unit().realTimeFrames().empty());  // nothing cuts into the operation
    release = true;
    h.settle();
    const auto frames = framesWithin(h.unit->unit(), 1, 5000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][9], 100);

    // Between operations a frame goes out at once.
    const std::uint32_t words[1] = {7};
    h.worker->realTimeQueue().send(dsp::RealTimeType::OneWordType3, 2560, words);
    const auto later = framesWithin(h.unit->unit(), 2, 5000);
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[1][3], 3);
    EXPECT_EQ(later[1][9], 7);
}

}  // namespace
}  // namespace vela::test
