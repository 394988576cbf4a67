#pragma once
// A serial line opened as a tty through termios: the USB bridge's /dev/ttyUSBn, a serial
// port, or one side of a pseudo-terminal. While open it is ours alone: another program's
// bytes in the middle of an exchange would corrupt it, so the device is locked (flock, the
// tty's exclusive mode and the serial programs' lock file) and a busy device is refused.

#include "link/byte_channel.h"
#include "link/device_lock.h"

namespace vela {

class TtyPort : public ByteChannel {
public:
    explicit TtyPort(std::string path) : path_(std::move(path)) {}
    ~TtyPort() override { close(); }
    TtyPort(const TtyPort&) = delete;
    TtyPort& operator=(const TtyPort&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    bool applySettings(const LineSettings& settings) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    std::string errorText() const override { return error_; }
    std::string address() const override { return path_; }

    void setPath(std::string path) { path_ = std::move(path); }
    void setWriteTimeout(Millis t) override { writeTimeout_ = t; }
    // The USB-serial driver's lowest latency; true when the system allowed it.
    bool requestLowLatency() override;

private:
    bool setModemLine(int line, bool on);
    void fail(const char* what);
    void failInUse(const std::string& holder);
    // The device went away (unplugged, or the other side of a pseudo-terminal closed).
    void lost();

    std::string path_;
    int fd_ = -1;
    Millis writeTimeout_{6000};
    std::string error_;
    UucpLock lockFile_;
};

}  // namespace vela
