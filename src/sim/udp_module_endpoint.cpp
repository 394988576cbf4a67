#include "sim/udp_module_endpoint.h"

#include "sim/loopback_address.h"

#include <stdexcept>

namespace vela::sim {

// A rig's modules share one port, each on its own address. Qt asks for that on Linux by
// default; Wine's sockets want it asked for on each of them.
LoopbackUdpSocket::LoopbackUdpSocket(std::uint16_t port, const std::string& address)
    : QtUdpEndpoint((loopbackAddress(address), address), port, QAbstractSocket::ReuseAddressHint), address_(address) {
    if (!bound())
        throw std::runtime_error("cannot use UDP port " + std::to_string(port) + " on " + address + ": " + errorText());
}

UdpModuleEndpoint::UdpModuleEndpoint(std::vector<SimulatedModule> modules, std::uint16_t port,
                                     std::function<void(const std::string&)> log, const std::string& address)
    : address_(address), sim_(std::move(modules)) {
    sim_.log = std::move(log);
    port_ = thread_.start<std::uint16_t>([this, port](std::stop_token stop, std::promise<std::uint16_t>& ready) {
        std::optional<LoopbackUdpSocket> socket;
        try {
            socket.emplace(port, address_);
        } catch (...) {
            ready.set_exception(std::current_exception());
            return;
        }
        ready.set_value(socket->port());
        const auto reply = [&](const Datagram& request) {
            for (const auto& a : sim_.handle(request.bytes)) socket->send(request.address, request.port, a);
        };
        while (!stop.stop_requested()) {
            const auto request = socket->receive(std::chrono::milliseconds(50));
            const std::lock_guard lock(mutex_);
            for (; !relayed_.empty(); relayed_.pop_front()) reply(relayed_.front());
            if (request) reply(*request);
        }
    });
}

UdpModuleEndpoint::~UdpModuleEndpoint() { thread_.stop(); }

void UdpModuleEndpoint::answer(const Datagram& request) {
    const std::lock_guard lock(mutex_);
    relayed_.push_back(request);
}

std::string UdpModuleEndpoint::announcement() const {
    std::string line = "UDP " + address_ + ":" + std::to_string(port()) + " (Ethernet module";
    for (const auto& m : modules()) line += " " + m.id + "," + m.model + "," + m.name;
    return line + ")";
}

std::vector<SimulatedModule> UdpModuleEndpoint::modules() const {
    const std::lock_guard lock(mutex_);
    return sim_.modules();
}

}  // namespace vela::sim
