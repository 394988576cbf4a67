#pragma once
// The TCP link to the unit's Ethernet module (ClientSocket1, port 1001).

#include "link/byte_channel.h"
#include "link/channel_buffers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vela {

class DeviceLink;

inline constexpr std::uint16_t kEthernetTcpPort = 1001;

// Thrown when the TCP link reports an error: the operation in progress is abandoned at
// once, without its remaining steps or its own failure messages. Front ends catch it where
// a command starts; the error message has been shown. what() names the module's host and
// port and the socket's reason, as that message does.
class LinkAbandoned : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EthernetChannel {
public:
    // Makes an unopened socket to host:port.
    using SocketFactory = std::function<std::unique_ptr<ByteChannel>(const std::string& host, std::uint16_t port)>;

    EthernetChannel(DeviceLink& link, SocketFactory factory);

    // Closes the socket and opens a fresh connection; true when it is active. A connection
    // error reports itself and throws LinkAbandoned.
    bool ReconnectEthernet();
    // Sends the first n bytes of EthernetSendBuffer.
    std::size_t EthernetWrite(std::size_t n);
    // Sends bytes through EthernetSendBuffer, at most 64 at a time.
    bool writeBytes(std::span<const std::uint8_t> bytes);
    // Waits up to timeout for bytes, then reads them as one receive event.
    bool pollReceive(Millis timeout, std::size_t expected = kEthernetReceiveSize);
    // One receive event: what is pending, and, while fewer than `expected` bytes have come,
    // what follows within the settle time.
    void OnEthernetRead(std::size_t expected = kEthernetReceiveSize);
    // The error dialog and DropLink; `detail` follows on a line of its own.
    void OnEthernetError(std::string_view detail = {});
    // The module's host and port and the socket's reason: "10.0.0.7:1001: Connection refused".
    std::string failure() const;
    // A connection that cannot be made, or that failed while an exchange used it:
    // OnEthernetError with failure(), and the operation in progress is abandoned. That one
    // message is the failure's only report.
    [[noreturn]] void abandon();
    void close();
    bool isActive() const { return socket_ && socket_->isOpen(); }

    void setAddress(std::string host, std::uint16_t port = kEthernetTcpPort);
    const std::string& host() const { return host_; }
    std::uint16_t port() const { return port_; }

private:
    DeviceLink& link_;
    SocketFactory factory_;
    std::unique_ptr<ByteChannel> socket_;
    std::string host_;
    std::uint16_t port_ = kEthernetTcpPort;
};

}  // namespace vela
