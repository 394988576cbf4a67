#include "sim/tcp_endpoint.h"

#include "sim/loopback_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vela::sim {
namespace {

class TcpPort : public UnitPort {
public:
    explicit TcpPort(int fd) : fd_(fd) {}
    ~TcpPort() override { ::close(fd_); }
    TcpPort(const TcpPort&) = delete;
    TcpPort& operator=(const TcpPort&) = delete;

    Wait wait(Millis timeout) override {
        if (closed_) return Wait::Hangup;
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
        if (r <= 0) return Wait::Timeout;
        if (p.revents & POLLIN) {
            std::uint8_t b;
            const ssize_t n = ::recv(fd_, &b, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n > 0) return Wait::Data;
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return Wait::Timeout;
            return Wait::Hangup;  // the PC closed its end
        }
        return (p.revents & (POLLHUP | POLLERR)) ? Wait::Hangup : Wait::Timeout;
    }

    std::size_t read(std::span<std::uint8_t> out) override {
        const ssize_t n = ::recv(fd_, out.data(), out.size(), MSG_DONTWAIT);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (!closed_ && done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) continue;
                return;
            }
            done += static_cast<std::size_t>(n);
        }
    }

    void hangup() override {
        ::shutdown(fd_, SHUT_RDWR);
        closed_ = true;
    }

private:
    int fd_;
    bool closed_ = false;
};

}  // namespace

TcpEndpoint::TcpEndpoint(SimulatedUnit& unit, std::uint16_t port, const std::string& address) : address_(address) {
    sockaddr_in a = loopbackAddress(address, port);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 4) != 0) {
        const std::string why = std::strerror(errno);
        ::close(listener_);
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " + why);
    }
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::jthread([this, &unit](std::stop_token stop) {
        while (!stop.stop_requested()) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            const int noDelay = 1;  // one answer byte at a time: never hold it back
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
            TcpPort connection(fd);
            unit.serve(connection, stop);
        }
    });
}

TcpEndpoint::~TcpEndpoint() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
}

}  // namespace vela::sim
