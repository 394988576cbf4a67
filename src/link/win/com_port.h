#pragma once
// A serial line opened as a Windows COM port: a serial port, or the USB bridge's virtual COM
// port. Opened with no sharing, so while open it is ours alone and a port another program
// holds is refused. Reads block in the driver up to their time-out (COMMTIMEOUTS); a wait
// for data reads what comes into a buffer of our own, so waiting never loses a byte.

#include "link/byte_channel.h"

#include <vector>

namespace vela {

// Why port `name` could not be opened, from the system's error code: in use, missing, or the
// system's own words.
std::string comPortOpenFailure(const std::string& name, unsigned long code);

class ComPort : public ByteChannel {
  public:
    // "COM5", or its device path \\.\COM5 as the system lists it; named COM5 either way.
    explicit ComPort(std::string name);
    ~ComPort() override { close(); }
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const override { return handle_ != nullptr; }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    bool applySettings(const LineSettings& settings) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    void setWriteTimeout(Millis t) override;
    std::string errorText() const override { return error_; }
    std::string address() const override { return name_; }
    // No low-latency request: a COM port has no latency timer to lower through it (the
    // bridge's virtual COM port keeps the one set in its driver's properties).

  private:
    // Sets the time-out of the next reads (negative: return at once; positive: up to that
    // long) and of writes; false (with the error) when refused.
    bool setTimeouts(long long readMs);
    // The read time-out the driver holds; return-at-once before one is set.
    long long heldReadTimeout() const { return readTimeoutSet_ == kUnset ? -1 : readTimeoutSet_; }
    // Reads up to n bytes into pending_, waiting up to readMs for them; false when the port failed.
    bool readPending(std::size_t n, long long readMs);
    // Bytes the driver holds.
    std::size_t queued();
    bool setModemLine(bool dtr, bool on);
    void fail(const std::string& what, unsigned long code);
    void lost(unsigned long code);

    std::string name_;
    void* handle_ = nullptr;
    Millis writeTimeout_{6000};
    static constexpr long long kUnset = -2;
    long long readTimeoutSet_ = kUnset; // the read time-out the driver holds, in ms
    bool dtr_ = false;
    bool rts_ = false;
    bool flowControl_ = false;
    std::vector<std::uint8_t> pending_; // read while waiting, not yet taken
    std::string error_;
};

} // namespace vela
