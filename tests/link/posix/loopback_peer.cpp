#include "link/loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vela::test {

LoopbackPeer::LoopbackPeer() : listener_(::socket(AF_INET, SOCK_STREAM, 0)), peer_(-1) {
    const auto fd = static_cast<int>(listener_);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 4);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    hangUp();
    ::close(static_cast<int>(listener_));
}

void LoopbackPeer::accept() {
    peer_ = ::accept(static_cast<int>(listener_), nullptr, nullptr);
}

void LoopbackPeer::hangUp() {
    if (peer_ >= 0) ::close(static_cast<int>(peer_));
    peer_ = -1;
}

bool LoopbackPeer::send(const std::vector<std::uint8_t>& b) {
    return ::send(static_cast<int>(peer_), b.data(), b.size(), 0) == static_cast<ssize_t>(b.size());
}

std::vector<std::uint8_t> LoopbackPeer::receive(std::size_t n) {
    std::vector<std::uint8_t> b(n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(static_cast<int>(peer_), b.data() + got, n - got, 0);
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    b.resize(got);
    return b;
}

} // namespace vela::test
