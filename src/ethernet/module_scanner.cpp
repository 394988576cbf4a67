#include "ethernet/module_scanner.h"

#include <algorithm>

namespace vela {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

}  // namespace

bool ModuleScanner::start(const std::vector<std::string>& targets) {
    bool all = !targets.empty();
    for (const auto& address : targets) all = udp_.send(address, udpPort_, discoverDatagram()) && all;
    return all;
}

bool ModuleScanner::take(milliseconds timeout) {
    const auto datagram = udp_.receive(timeout);
    if (!datagram) return false;
    if (onDatagram) onDatagram(*datagram);
    if (auto device = parseDiscoveryReply(datagram->bytes, datagram->address)) found_.push_back(std::move(*device));
    return true;
}

void ModuleScanner::collect(milliseconds duration) {
    const auto deadline = Clock::now() + duration;
    for (;;) {
        while (take(milliseconds(0))) {
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left <= milliseconds(0) || !take(left)) return;
    }
}

std::optional<std::vector<FoundModule>> scanModules(DatagramEndpoint& udp, const ScanSettings& settings) {
    ModuleScanner scanner(udp, settings.udpPort);
    // A datagram that reached one target still finds the modules behind it.
    bool sentAny = false;
    for (const auto& target : settings.targets) sentAny = scanner.start({target}) || sentAny;
    if (!sentAny) return std::nullopt;
    scanner.collect(settings.time);
    std::vector<FoundModule> out;
    for (const auto& d : scanner.found()) {
        // Sent to several networks, a discover datagram may reach a module twice.
        const bool seen = std::any_of(out.begin(), out.end(), [&](const FoundModule& m) {
            return m.device.IP == d.IP && m.device.DeviceId == d.DeviceId;
        });
        if (!seen) out.push_back({d, settings.tcpPort});
    }
    return out;
}

std::vector<std::string> defaultScanTargets(LocalHost& host, std::string& why) {
    auto found = host.interfaceBroadcastAddresses();
    if (!found.empty()) return found;
    // No interface said: the first three octets of the PC's own address, and ".255".
    const std::string name = host.hostName();
    const auto address = name.empty() ? std::nullopt : host.addressOf(name);
    if (const auto broadcast = address ? broadcastAddressFor(*address) : std::nullopt) return {*broadcast};
    why = name.empty() ? std::string("The host name of this computer could not be read")
                       : "The host name of this computer (" + name + ") resolves to no IPv4 address";
    return {};
}

}  // namespace vela
