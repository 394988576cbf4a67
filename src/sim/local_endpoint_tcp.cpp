#include "sim/local_endpoint.h"
#include "sim/tcp_endpoint.h"

#include <stdexcept>

namespace vela::sim {

std::unique_ptr<SimEndpoint> ptyEndpoint(SimulatedUnit&) {
    throw std::runtime_error("there are no pseudo-terminals on Windows: use --tcp PORT");
}
std::unique_ptr<SimEndpoint> defaultEndpoint(SimulatedUnit& unit) { return std::make_unique<TcpEndpoint>(unit, 0); }

const char* const kLocalEndpointHelp =
    "  --pty               a pseudo-terminal: not on Windows. Without --pty, --tcp or --udp the unit\n"
    "                      takes TCP connections on a free port of 127.0.0.1, printed first\n";

}  // namespace vela::sim
