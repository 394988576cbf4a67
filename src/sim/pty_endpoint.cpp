#include "sim/pty_endpoint.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace vela::sim {
namespace {

class PtyPort : public UnitPort {
public:
    PtyPort(int master, std::string slave) : master_(master), slave_(std::move(slave)) {}

    Wait wait(Millis timeout) override {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
        if (r <= 0) return Wait::Timeout;
        if (p.revents & POLLIN) return Wait::Data;
        // No process has the slave open.
        if (p.revents & (POLLHUP | POLLERR)) return Wait::Hangup;
        return Wait::Timeout;
    }

    std::size_t read(std::span<std::uint8_t> out) override {
        const ssize_t n = ::read(master_, out.data(), out.size());
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{master_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) return;
            } else {
                return;  // the slave is gone; the answer has no one to reach
            }
        }
    }
    // A pseudo-terminal cannot be unplugged from this side: the unit falls silent instead.

    // A pseudo-terminal keeps what the unit wrote for its next reader; a bridge would not.
    void discardUnread() override {
        const int slave = ::open(slave_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (slave < 0) return;  // the PC has the line again, exclusively
        ::tcflush(slave, TCIFLUSH);
        ::close(slave);
    }

private:
    int master_;
    std::string slave_;
};

}  // namespace

PtyEndpoint::PtyEndpoint(SimulatedUnit& unit) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("cannot make a pseudo-terminal");
    char name[PATH_MAX] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("cannot name the pseudo-terminal");
    path_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Raw from the start, so that no byte is echoed or translated before the PC sets the line.
    if (const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC); slave >= 0) {
        termios t{};
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
    thread_ = std::jthread([this, &unit](std::stop_token stop) {
        PtyPort port(master_, path_);
        int idleRounds = 0;
        while (!stop.stop_requested()) {
            const long before = unit.exchangeCount();
            unit.serve(port, stop);
            // Nobody has the line open: look again soon while the PC is busy (it reopens the
            // line for every exchange), less often once it has gone quiet.
            idleRounds = unit.exchangeCount() == before ? idleRounds + 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(idleRounds < 500 ? 1 : 10));
        }
    });
}

PtyEndpoint::~PtyEndpoint() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
}

}  // namespace vela::sim
