#pragma once
// The simulated unit's Ethernet module: a TCP listener on 127.0.0.1, one connection served
// at a time, the unit's state kept across connections.

#include "sim/sim_endpoint.h"
#include "sim/simulated_unit.h"

#include <cstdint>
#include <thread>

namespace vela::sim {

class TcpEndpoint : public SimEndpoint {
public:
    // Port 0 takes any free port. Throws std::runtime_error when it cannot listen.
    TcpEndpoint(SimulatedUnit& unit, std::uint16_t port);
    ~TcpEndpoint() override;

    std::uint16_t port() const { return port_; }
    std::string announcement() const override { return "TCP 127.0.0.1:" + std::to_string(port_); }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::jthread thread_;
};

}  // namespace vela::sim
