#pragma once
// The TCP client through Windows Sockets: blocking sends, and waits for data in select() up to
// their time-out. Nothing of it runs in an event loop, so an exchange costs a send, a select
// and a recv, and pumping the window's messages never touches the socket. A wait reads what
// came into a buffer of our own, so the bytes the module sent before it closed are still taken.

#include "link/byte_channel.h"

#include <cstdint>
#include <vector>

namespace vela {

class WinsockTcpSocket : public ByteChannel {
  public:
    WinsockTcpSocket(std::string host, std::uint16_t port);
    ~WinsockTcpSocket() override;
    WinsockTcpSocket(const WinsockTcpSocket&) = delete;
    WinsockTcpSocket& operator=(const WinsockTcpSocket&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const override { return socket_ != kNoSocket; }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    std::string errorText() const override { return error_; }
    std::string address() const override { return host_ + ":" + std::to_string(port_); }

  private:
    // A failure that ends the connection; its words as the user reads them.
    void lost(int code);

    static constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
    std::string host_;
    std::uint16_t port_;
    std::uintptr_t socket_ = kNoSocket;
    std::vector<std::uint8_t> pending_; // received while waiting, not yet taken
    std::string error_;
};

} // namespace vela
