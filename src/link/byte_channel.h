#pragma once
// A byte link to the unit: serial port, the USB bridge (its tty, COM port or D2XX handle), a
// TCP socket or the simulated unit. Every read takes an explicit time-out so a silent peer never hangs a caller.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vela {

using Millis = std::chrono::milliseconds;

enum class Parity { None, Odd, Even };

struct LineSettings {
    int baud = 57600;
    int dataBits = 8;
    int stopBits = 1;
    Parity parity = Parity::None;
    bool flowControl = false;
};

class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes all bytes unless the link fails or stalls; returns how many went out.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Waits up to timeout until at least one byte is pending; true when one is.
    virtual bool waitForData(Millis timeout) = 0;
    // Takes up to out.size() pending bytes, waiting up to timeout for the first one.
    virtual std::size_t read(std::span<std::uint8_t> out, Millis timeout) = 0;
    // Line settings of a serial line; links without a line accept any settings.
    virtual bool applySettings(const LineSettings&) { return true; }
    virtual bool setDtr(bool) { return true; }
    virtual bool setRts(bool) { return true; }
    // A write that makes no progress for this long gives up; links that never stall ignore it.
    virtual void setWriteTimeout(Millis) {}
    // Asks the bridge to pass on received bytes at once rather than gathering them for its
    // latency timer; true when it could. Links without such a timer have nothing to lower.
    virtual bool requestLowLatency() { return false; }
    // Text of the last failure, for messages.
    virtual std::string errorText() const { return {}; }
    // Where the channel leads: a device path or host:port.
    virtual std::string address() const { return {}; }
};

}  // namespace vela
