#pragma once
// A TCP client through QTcpSocket, used synchronously; a connection attempt is bounded.

#include "link/byte_channel.h"

#include <QTcpSocket>

namespace vela {

class QtTcpSocket : public ByteChannel {
public:
    QtTcpSocket(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}

    bool open() override;
    void close() override;
    bool isOpen() const override { return socket_.state() == QAbstractSocket::ConnectedState; }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    std::string errorText() const override { return socket_.errorString().toStdString(); }
    std::string address() const override { return host_ + ":" + std::to_string(port_); }

private:
    std::string host_;
    std::uint16_t port_;
    QTcpSocket socket_;
};

}  // namespace vela
