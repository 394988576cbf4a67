#include "link/tty_port.h"

#include "link/permission_hint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vela {
namespace {

speed_t speedFor(int baud) {
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

int pollFor(int fd, short events, Millis timeout) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return r;
        return (p.revents & (events | POLLHUP | POLLERR)) ? 1 : 0;
    }
}

}  // namespace

void TtyPort::fail(const char* what) { error_ = std::string(what) + ": " + std::strerror(errno); }

void TtyPort::failInUse(const std::string& holder) {
    error_ = path_ + " is in use by another program" + (holder.empty() ? std::string() : " (" + holder + ")");
}

void TtyPort::lost() {
    error_ = path_ + ": the device is gone";
    close();
}

bool TtyPort::open() {
    close();
    if (const std::string holder = lockFile_.acquire(path_); !holder.empty()) {
        failInUse(holder);
        return false;
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        // EBUSY: another program holds the tty in exclusive mode.
        if (errno == EBUSY)
            failInUse(flockHolder(path_));
        else if (errno == EACCES || errno == EPERM)
            error_ = permissionDeniedMessage(path_);
        else
            fail(path_.c_str());
        lockFile_.release();
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        failInUse(flockHolder(path_));
        ::close(fd_);
        fd_ = -1;
        lockFile_.release();
        return false;
    }
    ::ioctl(fd_, TIOCEXCL);  // a pseudo-terminal's or a plain file's refusal does not matter
    termios t{};
    if (::tcgetattr(fd_, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    return true;
}

void TtyPort::close() {
    if (fd_ >= 0) {
        // The exclusive mode belongs to the tty, not to this descriptor: end it before letting go.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // which ends the flock
    }
    fd_ = -1;
    lockFile_.release();
}

bool TtyPort::applySettings(const LineSettings& s) {
    if (fd_ < 0) return false;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        fail("tcgetattr");
        return false;
    }
    const speed_t speed = speedFor(s.baud);
    if (speed == B0) {
        errno = EINVAL;
        fail("baud rate");
        return false;
    }
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
    if (s.stopBits == 2) t.c_cflag |= CSTOPB;
    if (s.parity != Parity::None) t.c_cflag |= PARENB;
    if (s.parity == Parity::Odd) t.c_cflag |= PARODD;
    if (s.flowControl) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
        fail("tcsetattr");
        return false;
    }
    return true;
}

bool TtyPort::setModemLine(int line, bool on) {
    if (fd_ < 0) return false;
    // A pseudo-terminal has no modem lines; that is not an error for us.
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && errno != ENOTTY && errno != EINVAL) {
        fail("modem line");
        return false;
    }
    return true;
}

bool TtyPort::setDtr(bool on) { return setModemLine(TIOCM_DTR, on); }
bool TtyPort::setRts(bool on) { return setModemLine(TIOCM_RTS, on); }

bool TtyPort::requestLowLatency() {
    if (fd_ < 0) return false;
    // The FTDI driver otherwise holds received bytes up to 16 ms before passing them on.
    serial_struct ss{};
    if (::ioctl(fd_, TIOCGSERIAL, &ss) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd_, TIOCSSERIAL, &ss) == 0) return true;
    }
    const auto name = std::filesystem::path(path_).filename().string();
    std::ofstream timer("/sys/bus/usb-serial/devices/" + name + "/latency_timer");
    if (!timer) return false;
    timer << 1;
    return static_cast<bool>(timer);
}

std::size_t TtyPort::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            fail("write");
            break;
        }
        if (pollFor(fd_, POLLOUT, writeTimeout_) <= 0) {
            errno = ETIMEDOUT;
            fail("write");
            break;
        }
    }
    return done;
}

bool TtyPort::waitForData(Millis timeout) { return fd_ >= 0 && pollFor(fd_, POLLIN, timeout) > 0; }

std::size_t TtyPort::read(std::span<std::uint8_t> out, Millis timeout) {
    if (fd_ < 0 || out.empty()) return 0;
    if (!waitForData(timeout)) return 0;
    const ssize_t n = ::read(fd_, out.data(), out.size());
    // Ready but nothing to read is a hang-up; reading on would only spin.
    if (n == 0 || (n < 0 && errno == EIO)) {
        lost();
        return 0;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR) fail("read");
        return 0;
    }
    return static_cast<std::size_t>(n);
}

}  // namespace vela
