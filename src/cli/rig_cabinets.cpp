#include "cli/rig_cabinets.h"

#include "cli/module_options.h"
#include "ethernet/qt_udp_endpoint.h"

#include <algorithm>
#include <arpa/inet.h>
#include <stdexcept>

namespace vela::cli {
namespace {

// Orders cabinets by address, so that a rig lists the same way every time.
std::uint32_t addressOrder(const std::string& ip) {
    in_addr a{};
    return ::inet_pton(AF_INET, ip.c_str(), &a) == 1 ? ntohl(a.s_addr) : 0xFFFFFFFFu;
}

}  // namespace

RigScanOptions rigScanOptions(const Context& ctx) {
    RigScanOptions o;
    o.broadcast = broadcastOption(ctx);
    o.settings.udpPort = portOption(ctx, "port", kModuleUdpPort);
    o.settings.tcpPort = portOption(ctx, "tcp-port", kEthernetTcpPort);
    if (const auto t = ctx.args.integer("scan-time")) {
        if (*t < 100 || *t > 60000) throw std::invalid_argument("--scan-time: 100..60000 ms");
        o.settings.time = std::chrono::milliseconds(*t);
    }
    o.model = moduleModelOption(ctx);
    return o;
}

std::optional<std::vector<FoundModule>> findCabinets(Context& ctx, RigScanOptions o) {
    if (o.broadcast) {
        o.settings.targets = {*o.broadcast};
    } else {
        QtLocalHost host;
        std::string why;
        o.settings.targets = defaultScanTargets(host, why);
        if (o.settings.targets.empty()) {
            ctx.ui.error(why);
            return std::nullopt;
        }
    }
    QtUdpEndpoint udp;
    if (!udp.bound()) {
        ctx.ui.error("Cannot open a UDP socket: " + udp.errorText());
        return std::nullopt;
    }
    auto found = scanModules(udp, o.settings);
    if (!found) {
        ctx.ui.error("The discover datagram could not be sent: " + udp.errorText());
        return std::nullopt;
    }
    if (o.model)
        std::erase_if(*found, [&](const FoundModule& m) { return m.device.Model != *o.model; });
    std::stable_sort(found->begin(), found->end(), [](const FoundModule& a, const FoundModule& b) {
        return addressOrder(a.device.IP) < addressOrder(b.device.IP);
    });
    return found;
}

}  // namespace vela::cli
