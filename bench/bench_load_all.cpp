// A whole load-all run (13 programs, the operating system and the reset) against the
// simulated unit on a pseudo-terminal emulating 57600 baud. Prints the ratio of the run's
// time to the wire time of all its bytes (both ways x 10 bits / baud).
#include "bench_support.h"
#include "library/library_window.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBaud = 57600;
constexpr int kRuns = 3;

vela::LibraryBuffer thirteenPrograms() {
    vela::LibraryBuffer library{};
    for (int k = 1; k <= 13; ++k) {
        vela::ProgramImage image{};
        image[0] = 0x0D;
        image[1] = 0xF0;
        for (std::size_t i = 2; i < 3570; ++i) image[i] = static_cast<std::uint8_t>(i * k);
        vela::appendLibraryEntry(library, image);
    }
    return library;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);

    vela::bench::QuietUi ui;
    vela::SessionState state;
    vela::DeviceLink link(state, ui, vela::bench::usbDevicesAt(pty.path()));
    vela::ProgramImage image{};
    vela::LibraryWindowState windowState;
    vela::LibraryWindow window(state, link, image, windowState, ui);
    window.buffer = thirteenPrograms();
    std::string error;
    const auto firmware = vela::firmwareImageFromText(vela::builtInFirmwareText(), error);

    std::vector<double> ratios;
    for (int run = 0; run < kRuns; ++run) {
        state.UsbActive = true;
        link.usb.UsbConnect();
        const long before = unit.exchangeCount();
        const auto start = std::chrono::steady_clock::now();
        const auto report = window.Send1Click(*firmware);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        unit.waitIdle(std::chrono::seconds(10));
        if (!report.complete()) {
            std::fprintf(stderr, "the run did not complete\n");
            return 1;
        }
        std::size_t wireBytes = 0;
        const auto records = unit.records();
        const auto exchanges = static_cast<std::size_t>(unit.exchangeCount() - before);
        for (std::size_t i = records.size() - exchanges; i < records.size(); ++i)
            wireBytes += records[i].host.size() + records[i].unit.size();
        const double wire = double(wireBytes) * 10.0 / kBaud;
        ratios.push_back(seconds / wire);
        std::printf("load-all of 13 programs + operating system: %zu exchanges, %zu wire bytes, wire %.2f s, "
                    "measured %.2f s, ratio %.3f\n",
                    exchanges, wireBytes, wire, seconds, seconds / wire);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio %.3f (goal: at most 1.10)\n", ratios[ratios.size() / 2]);
    return 0;
}
