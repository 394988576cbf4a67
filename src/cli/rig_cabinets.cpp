#include "cli/rig_cabinets.h"

#include "cli/module_options.h"

#include <stdexcept>

namespace vela::cli {

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
    std::string why;
    auto found = scanRig(std::move(o), why);
    if (!found) ctx.ui.error(why);
    return found;
}

}  // namespace vela::cli
