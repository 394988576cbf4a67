#pragma once
// Finding the FTDI bridges and serial ports of this machine, and the channels that reach them.

#include "link/ftdi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

inline constexpr std::uint16_t kFtdiVendorId = 0x0403;

struct PortInfo {
    std::string path;  // /dev/ttyUSB0, COM5
    std::string description;
    std::string serialNumber;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool isFtdi() const { return vendorId == kFtdiVendorId; }
};

// A port as users name it: Windows lists its COM ports as device paths, \\.\COM5 for COM5.
std::string portName(std::string_view path);
std::vector<PortInfo> availablePorts();
// FTDI bridges only, in the order device indexes count them.
std::vector<PortInfo> ftdiBridges();
// Device index n is the n-th FTDI bridge, unless an explicit port (its tty or COM port) is
// given. On Windows the bridge's maker's library reaches it where installed, else its virtual
// COM port.
FtdiDriver::Locator usbLocator(std::string explicitPort = {});
// The channel of a serial port named as the user names it: ttyS4 or /dev/ttyS4, COM5.
std::unique_ptr<ByteChannel> serialPortChannel(const std::string& name);
// The first serial port of the machine that is not an FTDI bridge, else the first of all.
std::string defaultSerialPort();
// The port taken when the machine lists none: /dev/ttyS0, COM1.
std::string fallbackSerialPort();

}  // namespace vela
