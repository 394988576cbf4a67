// velaupdate sim: the simulated HALDA40 on a pseudo-terminal and/or TCP on 127.0.0.1, until
// interrupted. Each way of reaching it is an endpoint; a new transport adds one more.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"
#include "sim/tcp_endpoint.h"
#include "sim/udp_module_endpoint.h"

#include <csignal>
#include <memory>
#include <pthread.h>
#include <stdexcept>

namespace vela::cli {
namespace {

sim::SimOptions simOptions(const Args& args) {
    sim::SimOptions o;
    o.memoryDir = args.value("memory-dir", "");
    if (const auto code = args.integer("model-code")) {
        if (*code < 0 || *code > 255) throw std::invalid_argument("--model-code must be 0..255");
        o.modelCode = static_cast<int>(*code);
    }
    o.empty = args.flag("empty");
    if (const auto list = args.value("protect")) {
        const auto memories = sim::parseMemoryList(*list);
        if (!memories) throw std::invalid_argument("--protect takes memory numbers 1..13 such as 3,5");
        o.protectedMemories = *memories;
    }
    if (const auto baud = args.integer("baud")) {
        if (*baud < 300 || *baud > 4000000) throw std::invalid_argument("--baud must be 300..4000000");
        o.baud = static_cast<int>(*baud);
    }
    for (const auto& f : args.values("fault")) {
        const auto fault = sim::parseFault(f);
        if (!fault) throw std::invalid_argument("--fault: start, long, end, silent-block or hangup-block, then @N if wanted: " + f);
        o.faults.push_back(*fault);
    }
    o.traceFile = args.value("trace", "");
    return o;
}

// --udp PORT with its --module ID,MODEL,NAME options: the Ethernet module's UDP side.
std::unique_ptr<sim::SimEndpoint> ethernetModuleEndpoint(const Context& ctx) {
    const auto port = ctx.args.integer("udp");
    const auto options = ctx.args.values("module");
    if (!port && options.empty()) return nullptr;
    if (!port || *port < 0 || *port > 65535) throw std::invalid_argument("--module needs --udp PORT (0..65535)");
    if (options.empty()) throw std::invalid_argument("--udp needs at least one --module ID,MODEL,NAME");
    std::vector<sim::SimulatedModule> modules;
    for (const auto& m : options) modules.push_back(sim::EthernetModuleSim::parseModuleOption(m));
    auto log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    return std::make_unique<sim::UdpModuleEndpoint>(std::move(modules), static_cast<std::uint16_t>(*port), log);
}

}  // namespace

int runSim(Context& ctx) {
    if (!ctx.args.positional.empty()) throw std::invalid_argument("sim takes no argument: " + ctx.args.positional.front());
    const sim::SimOptions options = simOptions(ctx.args);
    const bool pty = ctx.args.flag("pty") || (!ctx.args.has("tcp") && !ctx.args.has("udp"));
    std::optional<std::uint16_t> tcpPort;
    if (const auto port = ctx.args.integer("tcp")) {
        if (*port < 0 || *port > 65535) throw std::invalid_argument("--tcp must be a port 0..65535");
        tcpPort = static_cast<std::uint16_t>(*port);
    }

    // The endpoint threads inherit this mask, so the signals reach only the wait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::SimulatedUnit unit(options);
    if (unit.traceFailed()) {
        std::fprintf(stderr, "velaupdate sim: %s: cannot be written\n", options.traceFile.c_str());
        return kExitBadInput;
    }
    std::vector<std::unique_ptr<sim::SimEndpoint>> endpoints;
    try {
        if (pty) endpoints.push_back(std::make_unique<sim::PtyEndpoint>(unit));
        if (tcpPort) endpoints.push_back(std::make_unique<sim::TcpEndpoint>(unit, *tcpPort));
        if (auto udp = ethernetModuleEndpoint(ctx)) endpoints.push_back(std::move(udp));
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "velaupdate sim: %s\n", e.what());
        return kExitLinkFailed;
    }
    for (const auto& e : endpoints) std::fprintf(ctx.out, "%s\n", e->announcement().c_str());
    std::fflush(ctx.out);
    std::fprintf(stderr, "simulated HALDA40 running; Ctrl-C stops it\n");

    int signal = 0;
    sigwait(&stopSignals, &signal);
    endpoints.clear();
    std::fprintf(stderr, "simulated HALDA40 stopped after %ld exchanges\n", unit.exchangeCount());
    return kExitOk;
}

}  // namespace vela::cli
