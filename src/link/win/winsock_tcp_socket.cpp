#include "link/win/winsock_tcp_socket.h"

#include "link/tcp_socket.h"
#include "link/timeouts.h"
#include "link/win/system_text.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace vela {
namespace {

using Clock = std::chrono::steady_clock;

SOCKET handleOf(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

timeval timevalOf(Millis t) {
    const long long ms = std::max<long long>(t.count(), 0);
    return timeval{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
}

// The words the Linux program uses for the failures users meet; the system's for the rest.
std::string failureText(int code) {
    switch (code) {
    case WSAECONNREFUSED:
        return "Connection refused";
    case WSAEDISCON:
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
        return "The remote host closed the connection";
    case WSAETIMEDOUT:
        return "Connection timed out";
    case WSAENETUNREACH:
    case WSAENETDOWN:
        return "Network unreachable";
    case WSAEHOSTUNREACH:
        return "Host unreachable";
    default:
        return systemText(static_cast<unsigned long>(code));
    }
}

constexpr int kDeadlinePassed = -1;

// Connects s to address a before the deadline: 0, kDeadlinePassed, or the error code. The
// socket blocks afterwards.
int connectBefore(SOCKET s, const addrinfo& a, Clock::time_point deadline) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) return WSAGetLastError();
    if (::connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) == SOCKET_ERROR) {
        if (const int code = WSAGetLastError(); code != WSAEWOULDBLOCK) return code;
        fd_set written;
        fd_set failed;
        FD_ZERO(&written);
        FD_ZERO(&failed);
        FD_SET(s, &written);
        FD_SET(s, &failed);
        timeval left = timevalOf(std::chrono::ceil<Millis>(deadline - Clock::now()));
        const int ready = ::select(0, nullptr, &written, &failed, &left);
        if (ready == SOCKET_ERROR) return WSAGetLastError();
        if (ready == 0) return kDeadlinePassed;
        int error = 0;
        int size = sizeof error;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == SOCKET_ERROR)
            return WSAGetLastError();
        if (error != 0) return error;
    }
    nonBlocking = 0;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR ? WSAGetLastError() : 0;
}

} // namespace

std::unique_ptr<ByteChannel> makeTcpSocket(const std::string& host, std::uint16_t port) {
    return std::make_unique<WinsockTcpSocket>(host, port);
}

WinsockTcpSocket::WinsockTcpSocket(std::string host, std::uint16_t port)
    : host_(std::move(host)), port_(port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockTcpSocket::~WinsockTcpSocket() {
    close();
    WSACleanup();
}

bool WinsockTcpSocket::open() {
    close();
    error_.clear();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found) != 0) {
        error_ = "Host not found";
        return false;
    }
    // The time-out bounds the whole attempt, over every address the name has.
    const auto deadline = Clock::now() + timeouts::kEthernetConnect;
    int code = 0;
    for (const addrinfo* a = found; a && !isOpen() && code != kDeadlinePassed; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        code = s == INVALID_SOCKET ? WSAGetLastError() : connectBefore(s, *a, deadline);
        if (code == 0)
            socket_ = static_cast<std::uintptr_t>(s);
        else if (s != INVALID_SOCKET)
            closesocket(s);
    }
    freeaddrinfo(found);
    if (!isOpen()) {
        error_ = code == kDeadlinePassed ? "Socket operation timed out" : failureText(code);
        return false;
    }
    receiveTimeout_ = 0;
    // Every step is a few bytes and then a wait for the answer: never hold them back to
    // gather a fuller segment.
    const BOOL on = TRUE;
    setsockopt(handleOf(socket_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    // A send the module does not take gives up as a stalled serial write does.
    const DWORD sendMs = static_cast<DWORD>(timeouts::kSerialWrite.count());
    setsockopt(handleOf(socket_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendMs),
               sizeof sendMs);
    return true;
}

void WinsockTcpSocket::close() {
    if (isOpen()) closesocket(handleOf(socket_));
    socket_ = kNoSocket;
    pending_.clear();
}

void WinsockTcpSocket::lost(int code) {
    error_ = failureText(code);
    // What came before the failure is still delivered.
    closesocket(handleOf(socket_));
    socket_ = kNoSocket;
}

std::size_t WinsockTcpSocket::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (isOpen() && done < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
        const int n = ::send(handleOf(socket_), reinterpret_cast<const char*>(bytes.data() + done), chunk, 0);
        if (n == SOCKET_ERROR) {
            lost(WSAGetLastError());
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool WinsockTcpSocket::waitForData(Millis timeout) {
    if (!pending_.empty()) return true;
    if (!isOpen()) return false;
    if (timeout.count() <= 0) {
        // Only what has come already: a receive would wait.
        u_long queued = 0;
        if (ioctlsocket(handleOf(socket_), FIONREAD, &queued) == SOCKET_ERROR) lost(WSAGetLastError());
        if (queued == 0) return false;
    } else if (const auto ms = static_cast<DWORD>(std::min<long long>(timeout.count(), INT_MAX));
               ms != receiveTimeout_) {
        if (setsockopt(handleOf(socket_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms),
                       sizeof ms) == SOCKET_ERROR) {
            lost(WSAGetLastError());
            return false;
        }
        receiveTimeout_ = ms;
    }
    // One blocking receive: what came, the module's close, or the time-out.
    pending_.resize(4096);
    const int n = ::recv(handleOf(socket_), reinterpret_cast<char*>(pending_.data()),
                         static_cast<int>(pending_.size()), 0);
    pending_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (n == 0) lost(WSAEDISCON);
    if (n == SOCKET_ERROR) {
        // A time-out only ends the wait; anything else ends the connection.
        if (const int code = WSAGetLastError(); code != WSAETIMEDOUT) lost(code);
    }
    return n > 0;
}

std::size_t WinsockTcpSocket::read(std::span<std::uint8_t> out, Millis timeout) {
    if (out.empty() || !waitForData(timeout)) return 0;
    const std::size_t n = std::min(out.size(), pending_.size());
    std::copy_n(pending_.begin(), n, out.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

} // namespace vela
