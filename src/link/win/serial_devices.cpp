// The bridge through its maker's library where installed, else as a COM port; the serial port
// as a COM port.
#include "link/port_discovery.h"
#include "link/win/com_port.h"
#include "link/win/d2xx_channel.h"

namespace vela {

FtdiDriver::Locator usbLocator(std::string explicitPort) {
    return [name = std::move(explicitPort)](int index) -> std::unique_ptr<ByteChannel> {
        if (!name.empty()) return std::make_unique<ComPort>(name);
        if (index < 0) return nullptr;
        // The bridges are counted at each open: one may have been plugged in since.
        if (const d2xx::Library* lib = d2xx::library(); lib && index < d2xx::bridgeCount())
            return std::make_unique<D2xxChannel>(*lib, index);
        const auto bridges = ftdiBridges();
        if (static_cast<std::size_t>(index) >= bridges.size()) return nullptr;
        return std::make_unique<ComPort>(bridges[static_cast<std::size_t>(index)].path);
    };
}

std::unique_ptr<ByteChannel> serialPortChannel(const std::string& name) {
    return std::make_unique<ComPort>(name);
}

std::string fallbackSerialPort() {
    return "COM1";
}

} // namespace vela
