// A whole load-all run (13 programs, the operating system and the reset) against the
// simulated unit emulating 57600 baud, over the USB bridge's pseudo-terminal and over TCP to
// its Ethernet module. Prints, for each link, the ratio of the run's time to the wire time
// of all its bytes (both ways x 10 bits / baud), and how much of the run was the PC's own
// turnaround between an answer and the next step.
//
//   bench_load_all [usb|ethernet|both] [runs]
#include "bench_support.h"
#include "library/library_window.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"
#include "sim/tcp_endpoint.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kBaud = 57600;

// Runs the load-all `runs` times over one link; returns the median ratio, or a negative
// number when a run did not complete.
double measure(const char* name, bool ethernet, int runs) {
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);
    vela::sim::TcpEndpoint tcp(unit, 0);

    vela::bench::QuietUi ui;
    vela::SessionState state;
    vela::bench::Turnaround turnaround;
    vela::DeviceLink link(state, ui,
                          ethernet ? vela::bench::tcpDevices(turnaround) : vela::bench::usbDevicesAt(pty.path(), &turnaround));
    if (ethernet) link.ethernet.setAddress("127.0.0.1", tcp.port());
    vela::ProgramImage image{};
    vela::LibraryWindowState windowState;
    vela::LibraryWindow window(state, link, image, windowState, ui);
    window.buffer = vela::bench::thirteenPrograms();
    std::string error;
    const auto firmware = vela::firmwareImageFromText(vela::builtInFirmwareText(), error);

    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        if (ethernet) {
            state.Link = vela::LinkKind::Ethernet;
            state.EthernetActive = true;
        } else {
            state.UsbActive = true;
            link.usb.UsbConnect();
        }
        const long before = unit.exchangeCount();
        turnaround = {};
        const auto start = std::chrono::steady_clock::now();
        const auto report = window.loadAllMemories(*firmware);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        unit.waitIdle(std::chrono::seconds(10));
        if (!report.complete()) {
            std::fprintf(stderr, "%s: the run did not complete\n", name);
            return -1;
        }
        const auto [exchanges, wireBytes] = vela::bench::wireSince(unit, before);
        const double wire = double(wireBytes) * 10.0 / kBaud;
        ratios.push_back(seconds / wire);
        // The PC's share: from each answer to the next step's bytes (status texts, gauges,
        // pumping the message queue); the rest beyond the wire time is the link and the unit.
        const double pc = std::chrono::duration<double>(turnaround.total).count();
        std::printf("%-8s load-all of 13 programs + operating system: %zu exchanges, %zu wire bytes, wire %.2f s, "
                    "measured %.2f s, ratio %.3f; PC turnaround %.3f s over %ld steps\n",
                    name, exchanges, wireBytes, wire, seconds, seconds / wire, pc, turnaround.steps);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    return vela::bench::linkBenchmarkMain(argc, argv, "bench_load_all", measure);
}
