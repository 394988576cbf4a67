// Real time over USB to the simulated unit on a pseudo-terminal emulating 57600 baud, the
// session's worker sending. First 100 changes of output 1's gain, at once (as a held spin box
// gives them to a busy window) and 1 ms apart: how many frames went and how long after the last
// change the unit held its value. Then dragging an equaliser band: the window thread queues a new value every
// 4 ms (a pointer at 250 events a second, more than the wire's 213 frames). Prints the frames
// the unit received per second and how long after the drag's end the unit held its last value.
#include "app/session_worker.h"
#include "bench_support.h"
#include "link/realtime_queue.h"
#include "dsp/coefficient_word.h"
#include "preset/equaliser_procedures.h"
#include "preset/new_preset.h"
#include "preset/output_procedures.h"
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

constexpr int kGainChanges = 100;

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

    // Output 1's gain, through its own procedure, which names the gains' target before each value.
    vela::PresetParameters preset;
    vela::SessionState state;
    vela::bench::QuietUi quiet;
    vela::PresetContext ctx{preset, state, quiet, vela::kSampleRate, &worker.realTimeQueue()};
    vela::ResetPreset(ctx);
    state.RealTimeMode = true;
    const auto gainAddress = static_cast<std::uint16_t>(vela::kOutputGainAddress + 1);
    const auto isGain = [&](const std::vector<std::uint8_t>& f) {
        return f.size() == 11 && f[3] == 3 && ((f[4] << 8) | f[5]) == gainAddress;
    };
    std::vector<double> gainLags;
    for (int run = 0; run < 2 * kRuns; ++run) {
        // Half the runs at once, half 1 ms apart: faster than the line's 1.9 ms a frame either way.
        const bool spaced = run >= kRuns;
        const auto earlier = unit.realTimeFrames();
        const auto before = static_cast<std::size_t>(std::count_if(earlier.begin(), earlier.end(), isGain));
        for (int i = 0; i < kGainChanges; ++i) {
            vela::OutputSetLevelDb(ctx, 0, -25.0 + 0.1 * i + run % kRuns);
            if (spaced) QThread::usleep(1000);
        }
        QElapsedTimer lag;
        lag.start();
        const std::uint32_t last = vela::dsp::coefficientWord(preset.OutputGain[0] * preset.MuteFactor[0]);
        std::vector<std::vector<std::uint8_t>> gains;
        for (;;) {
            gains.clear();
            for (const auto& f : unit.realTimeFrames())
                if (isGain(f)) gains.push_back(f);
            if (gains.size() > before && lastWord(gains.back()) == last) break;
            if (lag.elapsed() > 5000) {
                std::fprintf(stderr, "the unit never received output 1's last gain\n");
                return 1;
            }
            QThread::usleep(200);
        }
        const double lagMs = double(lag.nsecsElapsed()) / 1e6;
        gainLags.push_back(lagMs);
        std::printf("%d changes of output 1's gain %s: %zu frames received, last value held %.1f ms after the "
                    "last change\n",
                    kGainChanges, spaced ? "1 ms apart" : "at once", gains.size() - before, lagMs);
    }
    std::sort(gainLags.begin(), gainLags.end());
    std::printf("output 1's gain: lag median %.1f ms, worst %.1f ms (goal: within 50 ms)\n",
                gainLags[gainLags.size() / 2], gainLags.back());

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
            std::count_if(frames.begin(), frames.end(),
                          [&](const auto& f) { return f[3] == 0 && lastWord(f) >= first; }));
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

    return lags.back() <= 50.0 && gainLags.back() <= 50.0 ? 0 : 1;
}
