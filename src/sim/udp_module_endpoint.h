#pragma once
// The simulated Ethernet module's UDP side as a sim endpoint: a UDP port on a loopback
// address whose requests are answered on a thread of its own.

#include "ethernet/datagram_endpoint.h"
#include "sim/ethernet_module.h"
#include "sim/sim_endpoint.h"

#include <cstdint>
#include <mutex>
#include <thread>

namespace vela::sim {

// A plain UDP socket on a loopback address (127.x.y.z), for use on any thread.
class LoopbackUdpSocket : public DatagramEndpoint {
public:
    // Port 0 takes any free port. Throws std::runtime_error when it cannot bind.
    explicit LoopbackUdpSocket(std::uint16_t port, const std::string& address = "127.0.0.1");
    ~LoopbackUdpSocket() override;
    LoopbackUdpSocket(const LoopbackUdpSocket&) = delete;
    LoopbackUdpSocket& operator=(const LoopbackUdpSocket&) = delete;

    std::uint16_t port() const { return port_; }
    const std::string& address() const { return address_; }
    // Waits up to timeout until a datagram is pending.
    bool waitReadable(std::chrono::milliseconds timeout) const;
    bool send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) override;
    std::optional<Datagram> receive(std::chrono::milliseconds timeout) override;

private:
    std::string address_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

class UdpModuleEndpoint : public SimEndpoint {
public:
    UdpModuleEndpoint(std::vector<SimulatedModule> modules, std::uint16_t port,
                      std::function<void(const std::string&)> log = {}, const std::string& address = "127.0.0.1");
    ~UdpModuleEndpoint() override;

    std::uint16_t port() const { return socket_.port(); }
    // Answers a request that reached another socket (a rig's shared discovery port) from this
    // module's own address, as if it had come here.
    void answer(const Datagram& request);
    std::string announcement() const override;
    // A copy of the modules as they are now.
    std::vector<SimulatedModule> modules() const;

private:
    LoopbackUdpSocket socket_;
    mutable std::mutex mutex_;
    EthernetModuleSim sim_;
    std::jthread thread_;
};

}  // namespace vela::sim
