#include "sim/local_endpoint.h"
#include "sim/pty_endpoint.h"

namespace vela::sim {

std::unique_ptr<SimEndpoint> ptyEndpoint(SimulatedUnit& unit) { return std::make_unique<PtyEndpoint>(unit); }
std::unique_ptr<SimEndpoint> defaultEndpoint(SimulatedUnit& unit) { return ptyEndpoint(unit); }

}  // namespace vela::sim
