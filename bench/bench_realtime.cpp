// Dragging an equaliser band in real-time mode over USB: the window thread queues a new value
// every 4 ms (a pointer at 250 events a second, more than the wire's 213 frames) while the session's worker sends them
// to the simulated unit on a pseudo-terminal emulating 57600 baud. Prints the frames the unit
// received per second and how long after the drag's end the unit held its last value.
#include "app/session_worker.h"
#include "bench_support.h"
#include "link/realtime_queue.h"
#include "preset/equaliser_procedures.h"
#include "session/session.h"
#include "sim/pty_endpoint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBaud = 57600;
constexpr int kEventMs = 4;  // faster than the wire carries frames
constexpr int kDragMs = 2000;  // fewer frames than the unit keeps a record of
constexpr int kRuns = 5;

std::uint32_t lastWord(const std::vector<std::uint8_t>& frame) {
    // 0x65 0x12 target type address(2) B0 ...: the first word follows the address.
    return (std::uint32_t(frame[6]) << 24) | (std::uint32_t(frame[7]) << 16) | (std::uint32_t(frame[8]) << 8) |
           frame[9];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);
    struct TellingUi : vela::bench::QuietUi {
        vela::Answer message(vela::MessageKind k, vela::Buttons b, std::string_view text) override {
            std::fprintf(stderr, "message: %.*s\n", int(text.size()), text.data());
            return QuietUi::message(k, b, text);
        }
    } ui;
    vela::app::SessionWorker worker(
        [&] { return std::make_unique<vela::Session>(ui, vela::bench::usbDevicesAt(pty.path())); });
    worker.run([](vela::Session& s) {
        s.state.Link = vela::LinkKind::USB;
        s.state.UsbActive = true;
        s.state.RealTimeMode = true;
    });
    worker.waitIdle(10000);
    const auto address = static_cast<std::uint16_t>(vela::EqualiserBandAddress(0, 3));

    std::vector<double> lags, rates;
    std::uint32_t value = 0;
    for (int run = 0; run < kRuns; ++run) {
        const std::uint32_t first = value + 1;
        QElapsedTimer drag;
        drag.start();
        std::uint32_t queued = 0;
        QElapsedTimer lag;
        for (;;) {
            const std::uint32_t words[5] = {++value, 1, 2, 3, 4};
            worker.realTimeQueue().send(vela::dsp::RealTimeType::FiveWords, address, words);
            lag.start();  // from the drag's last value
            ++queued;
            if (drag.elapsed() >= kDragMs) break;
            QThread::msleep(kEventMs);
        }
        const double dragSeconds = double(drag.elapsed()) / 1000.0;
        std::vector<std::vector<std::uint8_t>> frames;
        for (;;) {
            frames = unit.realTimeFrames();
            if (!frames.empty() && lastWord(frames.back()) == value) break;
            if (lag.elapsed() > 5000) {
                std::fprintf(stderr, "the unit never received the drag's last value %u: it holds %u, %zu frames wait\n",
                             value, frames.empty() ? 0u : lastWord(frames.back()),
                             worker.realTimeQueue().waiting());
                return 1;
            }
            QThread::usleep(200);
        }
        const double lagMs = double(lag.nsecsElapsed()) / 1e6;
        const auto received = static_cast<std::size_t>(
            std::count_if(frames.begin(), frames.end(), [&](const auto& f) { return lastWord(f) >= first; }));
        lags.push_back(lagMs);
        rates.push_back(double(received) / dragSeconds);
        std::printf("drag of %.2f s: %u values queued, %zu frames received (%.0f per second), last value held "
                    "%.1f ms after the drag's end\n",
                    dragSeconds, queued, received, double(received) / dragSeconds, lagMs);
    }
    std::sort(lags.begin(), lags.end());
    std::sort(rates.begin(), rates.end());
    std::printf("median %.0f frames per second; lag median %.1f ms, worst %.1f ms (goal: within 50 ms); "
                "one frame in flight: the worker sends them one after another\n",
                rates[rates.size() / 2], lags[lags.size() / 2], lags.back());
    return lags.back() <= 50.0 ? 0 : 1;
}
