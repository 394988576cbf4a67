// A whole rig loaded at once: 1, 4, 8 and 16 simulated cabinets at 57600 baud, each on its own
// TCP link on loopback, each given a 13-program library and the operating system, one thread
// and one session per cabinet as rig load does. Prints for each size the run's time against
// one cabinet's (goal: 16 cabinets in at most 1.3 x), the CPU time and the growth of the
// peak memory per cabinet, and each cabinet's run against the wire time of its own bytes
// (goal: at most 1.15 x).
//
//   bench_rig [largest rig]
#include "bench_support.h"
#include "session/rig_load.h"
#include "sim/tcp_endpoint.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vela;
constexpr int kBaud = 57600;

struct Figures {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system, the whole process
    long peakKiB = 0;       // the process's peak resident size after the run
    double worstWireRatio = 0;
    int completed = 0;
};

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

long peakKiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

class NoEvents : public CabinetEventSink {
public:
    void cabinetEvent(const CabinetEvent&) override {}
};

Figures loadRigOf(int cabinets, const std::filesystem::path& library, const FirmwareChoice& firmware) {
    std::vector<std::unique_ptr<sim::SimulatedUnit>> units;
    std::vector<std::unique_ptr<sim::TcpEndpoint>> endpoints;
    RigRequest rig;
    for (int i = 0; i < cabinets; ++i) {
        sim::SimOptions o;
        o.baud = kBaud;
        units.push_back(std::make_unique<sim::SimulatedUnit>(o));
        endpoints.push_back(std::make_unique<sim::TcpEndpoint>(*units.back(), 0));
        CabinetToLoad c;
        c.name = "CAB" + std::to_string(i + 1);
        c.link.kind = LinkKind::Ethernet;
        c.link.host = "127.0.0.1";
        c.link.tcpPort = endpoints.back()->port();
        c.library = {LibraryRequest::Kind::File, -1, library.string()};
        rig.cabinets.push_back(c);
    }
    rig.openSession = [](UserInterface& ui, const CabinetToLoad& c) { return openSession(ui, c.link); };
    NoEvents events;
    const double cpuBefore = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const auto results = loadRig(rig, firmware, events);
    Figures f;
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.cpuSeconds = cpuSeconds() - cpuBefore;
    f.peakKiB = peakKiB();
    for (int i = 0; i < cabinets; ++i) {
        const CabinetResult& r = results[static_cast<std::size_t>(i)].result;
        if (!r.complete()) {
            std::fprintf(stderr, "%s did not complete: %s\n", results[static_cast<std::size_t>(i)].name.c_str(),
                         results[static_cast<std::size_t>(i)].problem.c_str());
            continue;
        }
        ++f.completed;
        units[static_cast<std::size_t>(i)]->waitIdle(std::chrono::seconds(10));
        const double wire = double(bench::wireSince(*units[static_cast<std::size_t>(i)], 0).bytes) * 10.0 / kBaud;
        f.worstWireRatio = std::max(f.worstWireRatio, std::chrono::duration<double>(r.time).count() / wire);
    }
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int largest = argc > 1 ? std::max(1, std::atoi(argv[1])) : 16;
    const auto dir = std::filesystem::temp_directory_path() / ("vela-bench-rig-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto library = dir / "RIG.HLB";
    if (const std::string error = saveLibraryFile(library, bench::thirteenPrograms()); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::string error;
    FirmwareChoice firmware;
    firmware.image = firmwareImageFromText(builtInFirmwareText(), error);

    int failed = 0;
    double alone = 0;
    long peakBefore = peakKiB();
    for (const int n : {1, 4, 8, 16}) {
        if (n > largest) break;
        const Figures f = loadRigOf(n, library, firmware);
        if (n == 1) alone = f.seconds;
        failed += n - f.completed;
        std::printf("%2d cabinets: %.2f s, %.3f x one cabinet; CPU %.3f s and peak memory +%ld KiB per cabinet; "
                    "worst cabinet %.3f x its wire time\n",
                    n, f.seconds, f.seconds / alone, f.cpuSeconds / n, std::max(0L, f.peakKiB - peakBefore) / n,
                    f.worstWireRatio);
        std::fflush(stdout);
        peakBefore = std::max(peakBefore, f.peakKiB);
    }
    std::printf("goals: 16 cabinets within 1.3 x one cabinet; every cabinet within 1.15 x its wire time\n");
    std::filesystem::remove_all(dir);
    return failed ? 1 : 0;
}
