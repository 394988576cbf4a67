#include "sim/udp_module_endpoint.h"

#include "sim/loopback_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vela::sim {

LoopbackUdpSocket::LoopbackUdpSocket(std::uint16_t port, const std::string& address) : address_(address) {
    sockaddr_in a = loopbackAddress(address, port);
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error(std::string("UDP socket: ") + std::strerror(errno));
    socklen_t len = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd_);
        throw std::runtime_error("cannot use UDP port " + std::to_string(port) + " on " + address + ": " + why);
    }
    port_ = ntohs(a.sin_port);
}

LoopbackUdpSocket::~LoopbackUdpSocket() { ::close(fd_); }

bool LoopbackUdpSocket::send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) return false;
    const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return n == static_cast<ssize_t>(bytes.size());
}

bool LoopbackUdpSocket::waitReadable(std::chrono::milliseconds timeout) const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(timeout.count())) > 0 && (p.revents & POLLIN);
}

std::optional<Datagram> LoopbackUdpSocket::receive(std::chrono::milliseconds timeout) {
    if (!waitReadable(timeout)) return std::nullopt;
    std::uint8_t buf[65536];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) return std::nullopt;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    return Datagram{text, ntohs(from.sin_port), std::vector<std::uint8_t>(buf, buf + n)};
}

UdpModuleEndpoint::UdpModuleEndpoint(std::vector<SimulatedModule> modules, std::uint16_t port,
                                     std::function<void(const std::string&)> log, const std::string& address)
    : socket_(port, address), sim_(std::move(modules)) {
    sim_.log = std::move(log);
    thread_ = std::jthread([this](std::stop_token stop) {
        while (!stop.stop_requested()) {
            if (!socket_.waitReadable(std::chrono::milliseconds(50))) continue;
            const std::lock_guard lock(mutex_);
            sim_.serve(socket_, std::chrono::milliseconds(0));
        }
    });
}

UdpModuleEndpoint::~UdpModuleEndpoint() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
}

void UdpModuleEndpoint::answer(const Datagram& request) {
    const std::lock_guard lock(mutex_);
    for (const auto& a : sim_.handle(request.bytes)) socket_.send(request.address, request.port, a);
}

std::string UdpModuleEndpoint::announcement() const {
    std::string line = "UDP " + socket_.address() + ":" + std::to_string(port()) + " (Ethernet module";
    for (const auto& m : modules()) line += " " + m.id + "," + m.model + "," + m.name;
    return line + ")";
}

std::vector<SimulatedModule> UdpModuleEndpoint::modules() const {
    const std::lock_guard lock(mutex_);
    return sim_.modules();
}

}  // namespace vela::sim
