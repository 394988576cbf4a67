#pragma once
// Finding the FTDI bridges and serial ports of this machine.

#include "link/ftdi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

inline constexpr std::uint16_t kFtdiVendorId = 0x0403;

struct PortInfo {
    std::string path;  // /dev/ttyUSB0
    std::string description;
    std::string serialNumber;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool isFtdi() const { return vendorId == kFtdiVendorId; }
};

std::vector<PortInfo> availablePorts();
// FTDI bridges only, in the order device indexes count them.
std::vector<PortInfo> ftdiBridges();
// Device index n is the n-th FTDI bridge, unless an explicit tty path is given.
FtdiDriver::Locator ttyLocator(std::string explicitPath = {});
// The first serial port of the machine that is not an FTDI bridge, else the first of all.
std::string defaultSerialPort();

}  // namespace vela
