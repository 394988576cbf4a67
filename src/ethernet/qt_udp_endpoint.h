#pragma once
// The datagram endpoint and host lookup through Qt, used synchronously.

#include "ethernet/datagram_endpoint.h"

#include <QUdpSocket>

namespace vela {

class QtUdpEndpoint : public DatagramEndpoint {
public:
    // Binds to address:port (port 0: any free port); check bound().
    explicit QtUdpEndpoint(const std::string& address = "0.0.0.0", std::uint16_t port = 0,
                           QAbstractSocket::BindMode mode = QAbstractSocket::DefaultForPlatform);

    bool bound() const { return socket_.state() == QAbstractSocket::BoundState; }
    std::uint16_t localPort() const { return socket_.localPort(); }
    // For answering in an event loop as datagrams come (its readyRead), on the socket's thread.
    QUdpSocket& qtSocket() { return socket_; }

    bool send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) override;
    std::optional<Datagram> receive(std::chrono::milliseconds timeout) override;
    std::string errorText() const override { return socket_.errorString().toStdString(); }

private:
    QUdpSocket socket_;
};

class QtLocalHost : public LocalHost {
public:
    std::string hostName() override;
    // The first IPv4 address of the name; when that is a loopback address (as a Debian host
    // name gives), the first IPv4 address of a network interface that is up instead.
    std::optional<std::string> addressOf(const std::string& hostName) override;
    std::vector<std::string> interfaceBroadcastAddresses() override;
};

}  // namespace vela
