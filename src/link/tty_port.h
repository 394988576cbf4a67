#pragma once
// A serial line opened as a tty through termios: the USB bridge's /dev/ttyUSBn, a serial
// port, or one side of a pseudo-terminal.

#include "link/byte_channel.h"

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
    // A write that makes no progress for this long gives up.
    void setWriteTimeout(Millis t) { writeTimeout_ = t; }
    // Asks the USB-serial driver for its lowest latency; true when the system allowed it.
    bool requestLowLatency();

private:
    bool setModemLine(int line, bool on);
    void fail(const char* what);

    std::string path_;
    int fd_ = -1;
    Millis writeTimeout_{6000};
    std::string error_;
};

}  // namespace vela
