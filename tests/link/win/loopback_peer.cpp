#include "link/loopback_peer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vela::test {
namespace {

SOCKET socketOf(std::intptr_t s) {
    return static_cast<SOCKET>(s);
}

} // namespace

LoopbackPeer::LoopbackPeer() : listener_(-1), peer_(-1) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socketOf(listener_), reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(socketOf(listener_), 4);
    int len = sizeof a;
    ::getsockname(socketOf(listener_), reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    hangUp();
    ::closesocket(socketOf(listener_));
    WSACleanup();
}

void LoopbackPeer::accept() {
    const SOCKET s = ::accept(socketOf(listener_), nullptr, nullptr);
    peer_ = s == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(s);
}

void LoopbackPeer::hangUp() {
    if (peer_ >= 0) ::closesocket(socketOf(peer_));
    peer_ = -1;
}

bool LoopbackPeer::send(const std::vector<std::uint8_t>& b) {
    const int n = static_cast<int>(b.size());
    return ::send(socketOf(peer_), reinterpret_cast<const char*>(b.data()), n, 0) == n;
}

std::vector<std::uint8_t> LoopbackPeer::receive(std::size_t n) {
    std::vector<std::uint8_t> b(n);
    std::size_t got = 0;
    while (got < n) {
        const int r =
            ::recv(socketOf(peer_), reinterpret_cast<char*>(b.data() + got), static_cast<int>(n - got), 0);
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    b.resize(got);
    return b;
}

} // namespace vela::test
