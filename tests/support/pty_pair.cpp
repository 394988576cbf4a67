#include "support/pty_pair.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace vela::test {

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slaveKeeper_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    slavePath_ = name;
    termios t{};
    ::tcgetattr(slaveKeeper_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slaveKeeper_, TCSANOW, &t);
}

PtyPair::~PtyPair() {
    if (master_ >= 0) ::close(master_);
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
}

void PtyPair::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR && errno != EAGAIN) throw std::runtime_error("pty write failed");
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPair::receive(std::size_t count, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        std::uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
        if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
}

termios PtyPair::slaveSettings() const {
    termios t{};
    ::tcgetattr(slaveKeeper_, &t);
    return t;
}

}  // namespace vela::test
