#include "sim/local_endpoint.h"
#include "sim/pty_endpoint.h"

namespace vela::sim {

std::unique_ptr<SimEndpoint> ptyEndpoint(SimulatedUnit& unit) { return std::make_unique<PtyEndpoint>(unit); }
std::unique_ptr<SimEndpoint> defaultEndpoint(SimulatedUnit& unit) { return ptyEndpoint(unit); }

const char* const kLocalEndpointHelp =
    "  --pty               a pseudo-terminal (the default); prints \"PTY <path>\" first. Use it with\n"
    "                      --usb=<path> or --serial=<path>. A pseudo-terminal cannot be unplugged:\n"
    "                      there hangup-block makes the unit fall silent instead\n";

}  // namespace vela::sim
