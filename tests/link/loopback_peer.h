#pragma once
// A listening socket on 127.0.0.1 standing in for the Ethernet module's TCP side. Plain
// sockets, not Qt's: the module may hang up from another thread while the link waits.

#include <cstdint>
#include <vector>

namespace vela::test {

class LoopbackPeer {
  public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return port_; }
    void accept();
    // The module closes its end, as one that is switched off or reset would.
    void hangUp();
    // True when every byte went out.
    bool send(const std::vector<std::uint8_t>& bytes);
    // Up to n bytes, fewer when the other side closes.
    std::vector<std::uint8_t> receive(std::size_t n);

  private:
    std::intptr_t listener_;
    std::intptr_t peer_;
    std::uint16_t port_ = 0;
};

} // namespace vela::test
