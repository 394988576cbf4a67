#pragma once
// The simulated unit's Ethernet module: a TCP listener on a loopback address, one connection
// served at a time, the unit's state kept across connections.

#include "sim/endpoint_thread.h"
#include "sim/sim_endpoint.h"
#include "sim/simulated_unit.h"

#include <cstdint>

namespace vela::sim {

class TcpEndpoint : public SimEndpoint {
public:
    // Port 0 takes any free port. Throws std::runtime_error when it cannot listen; the address
    // must be a loopback one (127.x.y.z), so that no other machine reaches it.
    TcpEndpoint(SimulatedUnit& unit, std::uint16_t port, const std::string& address = "127.0.0.1");

    std::uint16_t port() const { return port_; }
    const std::string& address() const { return address_; }
    std::string announcement() const override { return "TCP " + address_ + ":" + std::to_string(port_); }

private:
    std::string address_;
    std::uint16_t port_ = 0;
    EndpointThread thread_;
};

}  // namespace vela::sim
