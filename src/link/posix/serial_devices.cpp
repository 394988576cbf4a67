// The bridge and the serial port as ttys.
#include "link/port_discovery.h"
#include "link/tty_port.h"

namespace vela {

FtdiDriver::Locator usbLocator(std::string explicitPort) {
    return [path = std::move(explicitPort)](int index) -> std::unique_ptr<ByteChannel> {
        if (!path.empty()) return std::make_unique<TtyPort>(path);
        const auto bridges = ftdiBridges();
        if (index < 0 || static_cast<std::size_t>(index) >= bridges.size()) return nullptr;
        return std::make_unique<TtyPort>(bridges[static_cast<std::size_t>(index)].path);
    };
}

std::unique_ptr<ByteChannel> serialPortChannel(const std::string& name) {
    return std::make_unique<TtyPort>(name.empty() || name.front() == '/' ? name : "/dev/" + name);
}

std::string fallbackSerialPort() {
    return "/dev/ttyS0";
}

} // namespace vela
