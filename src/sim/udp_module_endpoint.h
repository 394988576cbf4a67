#pragma once
// The simulated Ethernet module's UDP side as a sim endpoint: a UDP port on a loopback
// address whose requests are answered on a thread of its own.

#include "ethernet/qt_udp_endpoint.h"
#include "sim/endpoint_thread.h"
#include "sim/ethernet_module.h"
#include "sim/sim_endpoint.h"

#include <cstdint>
#include <deque>
#include <mutex>

namespace vela::sim {

// A UDP socket on a loopback address (127.x.y.z), used on the thread that made it.
class LoopbackUdpSocket : public QtUdpEndpoint {
public:
    // Port 0 takes any free port. Throws std::invalid_argument for an address off loopback and
    // std::runtime_error when it cannot bind.
    explicit LoopbackUdpSocket(std::uint16_t port, const std::string& address = "127.0.0.1");

    std::uint16_t port() const { return localPort(); }
    const std::string& address() const { return address_; }

private:
    std::string address_;
};

class UdpModuleEndpoint : public SimEndpoint {
public:
    UdpModuleEndpoint(std::vector<SimulatedModule> modules, std::uint16_t port,
                      std::function<void(const std::string&)> log = {}, const std::string& address = "127.0.0.1");
    ~UdpModuleEndpoint() override;

    std::uint16_t port() const { return port_; }
    // Answers a request that reached another socket (a rig's shared discovery port) from this
    // module's own address, as if it had come here. The answer leaves from this endpoint's
    // thread, which owns the socket, within one of its 50 ms waits.
    void answer(const Datagram& request);
    std::string announcement() const override;
    // A copy of the modules as they are now.
    std::vector<SimulatedModule> modules() const;

private:
    std::string address_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    EthernetModuleSim sim_;
    std::deque<Datagram> relayed_;  // answer()'s requests, for the thread to answer
    EndpointThread thread_;
};

}  // namespace vela::sim
