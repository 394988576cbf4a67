#pragma once
// The simulated unit as the USB and serial options reach it on this system: a pseudo-terminal
// on Linux; Windows has none, so there the sim command's default is a TCP port.

#include "sim/sim_endpoint.h"
#include "sim/simulated_unit.h"

#include <memory>

namespace vela::sim {

// The unit on a pseudo-terminal. Throws std::runtime_error when none can be made, and
// always on Windows.
std::unique_ptr<SimEndpoint> ptyEndpoint(SimulatedUnit& unit);
// What the sim command serves when no way is named: a pseudo-terminal, or on Windows a free
// TCP port on 127.0.0.1.
std::unique_ptr<SimEndpoint> defaultEndpoint(SimulatedUnit& unit);
// The sim command's help lines on --pty and the default.
extern const char* const kLocalEndpointHelp;

}  // namespace vela::sim
