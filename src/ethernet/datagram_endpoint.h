#pragma once
// The UDP side of the Ethernet module window, as small interfaces: the front ends give Qt
// sockets, the tests give loopback sockets or fakes.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vela {

struct Datagram {
    std::string address;  // dotted IPv4 text of the sender or destination
    std::uint16_t port = 0;
    std::vector<std::uint8_t> bytes;
};

class DatagramEndpoint {
public:
    virtual ~DatagramEndpoint() = default;

    // Sends one datagram; false when the socket refused it.
    virtual bool send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) = 0;
    // Waits up to timeout for one datagram; a zero timeout only takes what is pending.
    virtual std::optional<Datagram> receive(std::chrono::milliseconds timeout) = 0;
    virtual std::string errorText() const { return {}; }
};

// The PC's own name and address, as the host-name lookup gives them.
class LocalHost {
public:
    virtual ~LocalHost() = default;

    virtual std::string hostName() = 0;
    // The first IPv4 address the name resolves to, dotted; nothing when it resolves to none.
    virtual std::optional<std::string> addressOf(const std::string& hostName) = 0;
    // The broadcast address of every IPv4 network interface that is up (loopback excepted),
    // dotted, each once. A PC on two networks finds modules on both.
    virtual std::vector<std::string> interfaceBroadcastAddresses() { return {}; }
};

}  // namespace vela
