#pragma once
// The TCP client through Windows Sockets: a blocking send, and a blocking receive bounded by
// the wait's time-out (SO_RCVTIMEO). No event loop and no select: an exchange is one send and
// one receive, the fewest calls into the system, which under Wine each cost a round trip to its
// server. A wait reads what came into a buffer of our own, so the bytes the module sent before
// it closed are still taken.

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
    unsigned long receiveTimeout_ = 0;  // SO_RCVTIMEO, ms; 0: none set
    std::string error_;
};

} // namespace vela
