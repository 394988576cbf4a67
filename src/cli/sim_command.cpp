// velaupdate sim: the simulated HALDA40 on a pseudo-terminal and/or TCP on 127.0.0.1, or a rig
// of simulated cabinets on loopback, until interrupted. Each way of reaching a unit is an
// endpoint; a new transport adds one more.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "ethernet/em100_datagrams.h"
#include "library/model_catalogue.h"
#include "platform/console_stops.h"
#include "sim/local_endpoint.h"
#include "sim/simulated_rig.h"
#include "sim/simulated_unit.h"
#include "sim/tcp_endpoint.h"
#include "sim/udp_module_endpoint.h"
#include "platform/utf8_paths.h"

#include <memory>
#include <stdexcept>

namespace vela::cli {
namespace {

sim::SimOptions simOptions(const Args& args) {
    sim::SimOptions o;
    o.memoryDir = platform::pathFromUtf8(args.value("memory-dir", ""));
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
        if (!fault) throw std::invalid_argument("--fault: start, long, end, silent-block, hangup-block or silent, then @N if wanted: " + f);
        o.faults.push_back(*fault);
    }
    o.traceFile = platform::pathFromUtf8(args.value("trace", ""));
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

std::optional<std::uint16_t> portOption(const Args& args, const char* option) {
    const auto port = args.integer(option);
    if (!port) return std::nullopt;
    if (*port < 0 || *port > 65535) throw std::invalid_argument(std::string("--") + option + " must be a port 0..65535");
    return static_cast<std::uint16_t>(*port);
}

// One --rig-models entry on top of the options every cabinet shares.
sim::RigCabinet rigCabinet(const std::string& entry, sim::SimOptions options) {
    sim::RigCabinet c;
    if (entry == "empty") {
        options.empty = true;
    } else if (const auto row = ModelCatalogue::find(entry)) {
        options.modelCode = ModelCatalogue::modelCode(*row);
        c.model = ModelCatalogue::rows()[*row].name;
    } else {
        const long code = parseInteger(entry, "--rig-models: neither a catalogue model nor empty");
        if (code < 0 || code > 255) throw std::invalid_argument("--rig-models: model codes are 0..255: " + entry);
        options.modelCode = static_cast<int>(code);
    }
    c.unit = std::move(options);
    return c;
}

std::vector<sim::RigCabinet> rigCabinets(const Args& args, int count, const sim::SimOptions& shared) {
    std::vector<std::string> models;
    if (const auto list = args.value("rig-models")) {
        for (std::size_t start = 0;;) {
            const auto comma = list->find(',', start);
            models.push_back(list->substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    std::vector<sim::SimOptions> units;
    std::vector<std::string> entries;
    for (int k = 0; k < count; ++k) {
        sim::SimOptions o = shared;
        if (!shared.memoryDir.empty()) o.memoryDir = shared.memoryDir / ("cabinet-" + std::to_string(k + 1));
        units.push_back(std::move(o));
    }
    for (const auto& f : args.values("rig-fault")) sim::applyRigFault(f, units);
    std::vector<sim::RigCabinet> cabinets;
    for (int k = 0; k < count; ++k) {
        if (models.empty()) {
            sim::RigCabinet c{units[static_cast<std::size_t>(k)], {}};
            if (const auto row = ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(shared.modelCode)))
                c.model = ModelCatalogue::rows()[*row].name;
            cabinets.push_back(std::move(c));
        } else {
            cabinets.push_back(rigCabinet(models[static_cast<std::size_t>(k) % models.size()], units[static_cast<std::size_t>(k)]));
        }
    }
    return cabinets;
}

int runRig(Context& ctx, const sim::SimOptions& shared) {
    for (const char* single : {"pty", "module", "trace"})
        if (ctx.args.has(single)) throw std::invalid_argument(std::string("--") + single + " is for one unit, not with --rig");
    const auto count = ctx.args.integer("rig");
    if (!count || *count < 1 || *count > sim::kMostRigCabinets)
        throw std::invalid_argument("--rig must be 1.." + std::to_string(sim::kMostRigCabinets));
    auto cabinets = rigCabinets(ctx.args, static_cast<int>(*count), shared);
    const auto tcp = portOption(ctx.args, "tcp").value_or(0);
    const auto udp = portOption(ctx.args, "udp").value_or(kModuleUdpPort);

    platform::StopWait stop;  // before the rig's threads
    auto log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    std::unique_ptr<sim::SimulatedRig> rig;
    try {
        rig = std::make_unique<sim::SimulatedRig>(std::move(cabinets), tcp, udp, log);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "velaupdate sim: %s\n", e.what());
        return kExitLinkFailed;
    }
    for (const auto& line : rig->announcements()) ctx.out.print("%s\n", line.c_str());
    std::fprintf(stderr, "simulated rig of %zu cabinets running; Ctrl-C stops it\n", rig->size());
    stop.wait();
    long exchanges = 0;
    for (std::size_t k = 0; k < rig->size(); ++k) exchanges += rig->unit(k).exchangeCount();
    rig.reset();
    std::fprintf(stderr, "simulated rig stopped after %ld exchanges\n", exchanges);
    return kExitOk;
}

}  // namespace

const char* simHelp() {
    static const std::string text = std::string(
        "usage: velaupdate sim [--pty] [--tcp PORT] [--udp PORT --module ID,MODEL,NAME...] [options]\n"
        "Runs a simulated HALDA40 that answers every exchange byte for byte: 13 program memories, the DSP\n"
        "operating system (program 15), read-back and real-time frames (recorded, never answered).\n"
        "Prints one line per way to reach it, then runs until Ctrl-C.\n") +
        sim::kLocalEndpointHelp +
        "  --tcp PORT          the Ethernet module's TCP link on 127.0.0.1:PORT (--ethernet=127.0.0.1:PORT)\n"
        "  --udp PORT          the Ethernet module's UDP side on 127.0.0.1:PORT: answers discovery, change\n"
        "                      IP and host name, blinks on identify (velaupdate ethernet ... --port PORT)\n"
        "  --module ID,MODEL,NAME  one module behind --udp: its device id, reported model and host\n"
        "                      name. Repeatable; host name and identify go to the first\n"
        "  --memory-dir DIR    keep the memories and the operating system as files in DIR\n"
        "  --model-code N      byte 4 of what a never-written memory reads back as (default 1: no model)\n"
        "  --empty             a never-written memory answers a read with length 0xFFFF (no program)\n"
        "  --protect 3,5       memories that refuse writes (they answer the memory number with 0xFF)\n"
        "  --baud 57600        take each byte's wire time (10 bits a byte) both ways\n"
        "  --fault F[@N]       start, long, end: a wrong answer at that step; silent-block: no answer\n"
        "                      to a data block; hangup-block: drop the connection at a data block. With @N\n"
        "                      only the N-th time the unit reaches that point, else every time.\n"
        "                      Repeatable. silent: the unit answers no exchange at all.\n"
        "  --trace FILE        one JSON line per exchange with the bytes each side sent\n"
        "\n"
        "usage: velaupdate sim --rig N [--rig-models M,M,...] [--rig-fault K:F]... [--tcp PORT] [--udp PORT]\n"
        "                      [--memory-dir DIR] [--model-code N] [--empty] [--baud B] [--fault F]...\n"
        "Runs N simulated cabinets (1..253), each with its own memories and Ethernet module. Cabinet K\n"
        "has the address 127.0.0.(K+1) (127.0.0.2, 127.0.0.3, ...), host name CABKK and device id\n"
        "RIGKKK; all take TCP connections on one port, --tcp PORT or else one free port, printed with each\n"
        "cabinet. Discovery goes to 127.0.0.1 at --udp PORT (default 65535); every module answers from\n"
        "its own address (velaupdate rig scan --broadcast 127.0.0.1 --port PORT --tcp-port PORT).\n"
        "  --rig-models M,M,...  the model of each cabinet in turn, the list repeated when the rig has\n"
        "                      more cabinets: a catalogue name (its model code, and the name the module\n"
        "                      reports), a model code 0..255, or \"empty\" (no program in any memory).\n"
        "                      Default: --model-code (and --empty) for every cabinet\n"
        "  --rig-fault K:F     cabinet K only: F is a --fault value, protect=3,5 or empty. Repeatable.\n"
        "                      The other options apply to every cabinet; --memory-dir keeps cabinet K in\n"
        "                      DIR/cabinet-K\n";
    return text.c_str();
}

int runSim(Context& ctx) {
    if (!ctx.args.positional.empty()) throw std::invalid_argument("sim takes no argument: " + ctx.args.positional.front());
    const sim::SimOptions options = simOptions(ctx.args);
    if (ctx.args.has("rig")) return runRig(ctx, options);
    for (const char* rigOnly : {"rig-models", "rig-fault"})
        if (ctx.args.has(rigOnly)) throw std::invalid_argument(std::string("--") + rigOnly + " needs --rig N");
    const bool named = ctx.args.flag("pty") || ctx.args.has("tcp") || ctx.args.has("udp");
    const std::optional<std::uint16_t> tcpPort = portOption(ctx.args, "tcp");
    platform::StopWait stop;  // before the unit's and the endpoints' threads

    sim::SimulatedUnit unit(options);
    if (unit.traceFailed()) {
        std::fprintf(stderr, "velaupdate sim: %s: cannot be written\n", platform::utf8FromPath(options.traceFile).c_str());
        return kExitBadInput;
    }
    std::vector<std::unique_ptr<sim::SimEndpoint>> endpoints;
    try {
        if (ctx.args.flag("pty")) endpoints.push_back(sim::ptyEndpoint(unit));
        if (!named) endpoints.push_back(sim::defaultEndpoint(unit));
        if (tcpPort) endpoints.push_back(std::make_unique<sim::TcpEndpoint>(unit, *tcpPort));
        if (auto udp = ethernetModuleEndpoint(ctx)) endpoints.push_back(std::move(udp));
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "velaupdate sim: %s\n", e.what());
        return kExitLinkFailed;
    }
    for (const auto& e : endpoints) ctx.out.print("%s\n", e->announcement().c_str());
    std::fprintf(stderr, "simulated HALDA40 running; Ctrl-C stops it\n");

    stop.wait();
    endpoints.clear();
    std::fprintf(stderr, "simulated HALDA40 stopped after %ld exchanges\n", unit.exchangeCount());
    return kExitOk;
}

}  // namespace vela::cli
