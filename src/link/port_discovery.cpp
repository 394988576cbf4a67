#include "link/port_discovery.h"

#include "link/tty_port.h"

#include <QSerialPortInfo>

namespace vela {

std::vector<PortInfo> availablePorts() {
    std::vector<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.path = info.systemLocation().toStdString();
        p.description = info.description().toStdString();
        p.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier()) p.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) p.productId = info.productIdentifier();
        ports.push_back(std::move(p));
    }
    return ports;
}

std::vector<PortInfo> ftdiBridges() {
    std::vector<PortInfo> bridges;
    for (auto& p : availablePorts())
        if (p.isFtdi()) bridges.push_back(std::move(p));
    return bridges;
}

FtdiDriver::Locator ttyLocator(std::string explicitPath) {
    return [path = std::move(explicitPath)](int index) -> std::unique_ptr<ByteChannel> {
        if (!path.empty()) return std::make_unique<TtyPort>(path);
        const auto bridges = ftdiBridges();
        if (index < 0 || static_cast<std::size_t>(index) >= bridges.size()) return nullptr;
        return std::make_unique<TtyPort>(bridges[static_cast<std::size_t>(index)].path);
    };
}

std::string defaultSerialPort() {
    const auto ports = availablePorts();
    for (const auto& p : ports)
        if (!p.isFtdi()) return p.path;
    return ports.empty() ? std::string("/dev/ttyS0") : ports.front().path;
}

}  // namespace vela
