#pragma once
// A small D2XX-style layer: the FTDI library's calls and status codes, driving the bridge
// through whatever byte channel reaches it (the kernel's tty on Linux, or a simulated unit).
// The bridge keeps its settings between opens, so this layer keeps them too and puts them
// back on the line at every open.

#include "link/byte_channel.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace vela {

using FT_STATUS = std::uint32_t;
using FT_HANDLE = std::uint32_t;

inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_INVALID_HANDLE = 1;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
inline constexpr FT_STATUS FT_IO_ERROR = 4;
inline constexpr FT_STATUS FT_INSUFFICIENT_RESOURCES = 5;
inline constexpr FT_STATUS FT_INVALID_PARAMETER = 6;

inline constexpr std::uint8_t FT_BITS_8 = 8;
inline constexpr std::uint8_t FT_BITS_7 = 7;
inline constexpr std::uint8_t FT_STOP_BITS_1 = 0;
inline constexpr std::uint8_t FT_STOP_BITS_2 = 2;
inline constexpr std::uint8_t FT_PARITY_NONE = 0;
inline constexpr std::uint8_t FT_PARITY_ODD = 1;
inline constexpr std::uint8_t FT_PARITY_EVEN = 2;
inline constexpr std::uint16_t FT_FLOW_NONE = 0x0000;
inline constexpr std::uint16_t FT_FLOW_RTS_CTS = 0x0100;

class FtdiDriver {
public:
    // Finds device `index` and returns a channel to it, unopened; nullptr when there is none.
    using Locator = std::function<std::unique_ptr<ByteChannel>(int index)>;

    explicit FtdiDriver(Locator locator) : locator_(std::move(locator)) {}

    FT_STATUS FT_Open(int deviceIndex, FT_HANDLE* handle);
    FT_STATUS FT_Close(FT_HANDLE handle);
    // Waits up to the read time-out for n bytes; returns FT_OK with fewer when it runs out.
    FT_STATUS FT_Read(FT_HANDLE handle, std::uint8_t* buffer, std::uint32_t n, std::uint32_t* received);
    FT_STATUS FT_Write(FT_HANDLE handle, const std::uint8_t* buffer, std::uint32_t n, std::uint32_t* written);
    FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud);
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                        std::uint8_t parity);
    FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff);
    FT_STATUS FT_SetDtr(FT_HANDLE handle);
    FT_STATUS FT_SetRts(FT_HANDLE handle);
    FT_STATUS FT_SetChars(FT_HANDLE handle, std::uint8_t eventChar, std::uint8_t eventEnable,
                          std::uint8_t errorChar, std::uint8_t errorEnable);
    FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs);

    // What the bridge holds now.
    const LineSettings& lineSettings() const { return line_; }
    Millis readTimeout() const { return readTimeout_; }
    bool isOpen() const { return channel_ != nullptr; }
    // The device and the system's reason behind the last failed call, for the user's
    // benefit ("/dev/ttyUSB0: Permission denied"); empty when there is nothing to add.
    const std::string& lastError() const { return lastError_; }

private:
    bool valid(FT_HANDLE h) const { return channel_ && h == handle_; }
    FT_STATUS applyLine();

    Locator locator_;
    std::unique_ptr<ByteChannel> channel_;
    FT_HANDLE handle_ = 0;
    FT_HANDLE nextHandle_ = 1;
    LineSettings line_;
    bool dtr_ = false;
    bool rts_ = false;
    Millis readTimeout_{1000};
    Millis writeTimeout_{1000};
    std::string lastError_;
};

}  // namespace vela
