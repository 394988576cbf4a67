// Backing up all 13 memories against the simulated unit emulating 57600 baud, over the USB
// bridge's pseudo-terminal and over TCP to its Ethernet module. Prints, for each link, the
// ratio of the backup's time to the wire time of its reads (both ways x 10 bits / baud) and
// what the per-read reconnections cost (USB: opening and setting up the bridge; Ethernet: a
// fresh TCP connection per exchange), measured as the PC's time outside the exchanges' bytes.
//
//   bench_backup [usb|ethernet|both] [runs]
#include "bench_support.h"
#include "session/backup.h"
#include "session/session.h"
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

// Backs up 13 memories `runs` times over one link; returns the median ratio, or a negative
// number when a backup did not complete.
double measure(const char* name, bool ethernet, int runs) {
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);
    vela::sim::TcpEndpoint tcp(unit, 0);

    vela::bench::QuietUi ui;
    vela::bench::Turnaround turnaround;
    vela::Session session(ui, ethernet ? vela::bench::tcpDevices(turnaround)
                                       : vela::bench::usbDevicesAt(pty.path(), &turnaround));
    if (ethernet) {
        session.link.ethernet.setAddress("127.0.0.1", tcp.port());
        session.state.Link = vela::LinkKind::Ethernet;
        session.state.EthernetActive = true;
    } else {
        session.state.UsbActive = true;
    }

    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        const long before = unit.exchangeCount();
        turnaround = {};
        const auto start = std::chrono::steady_clock::now();
        const auto backup = vela::backupMemories(session, vela::allMemories());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        unit.waitIdle(std::chrono::seconds(10));
        if (backup.result != vela::OperationResult::Done || backup.programs.size() != 13) {
            std::fprintf(stderr, "%s: the backup did not complete: %s\n", name, backup.failure.c_str());
            return -1;
        }
        const auto [exchanges, wireBytes] = vela::bench::wireSince(unit, before);
        const double wire = double(wireBytes) * 10.0 / kBaud;
        ratios.push_back(seconds / wire);
        const double pc = std::chrono::duration<double>(turnaround.total).count();
        const double reconnects = seconds - wire - pc;
        std::printf(
            "%-8s backup of 13 memories: %zu exchanges, %zu wire bytes, wire %.2f s, measured %.2f s, "
            "ratio %.3f; PC turnaround %.3f s over %ld steps; reconnections and the rest %.3f s "
            "(%.1f ms a read)\n",
            name, exchanges, wireBytes, wire, seconds, seconds / wire, pc, turnaround.steps, reconnects,
            reconnects * 1000.0 / 13);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    return vela::bench::linkBenchmarkMain(argc, argv, "bench_backup", measure);
}
