#include "link/port_discovery.h"

#include <QSerialPortInfo>

namespace vela {

std::string portName(std::string_view path) {
    constexpr std::string_view deviceNamespace = "\\\\.\\";
    if (path.starts_with(deviceNamespace)) path.remove_prefix(deviceNamespace.size());
    return std::string(path);
}

std::vector<PortInfo> availablePorts() {
    std::vector<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.path = portName(info.systemLocation().toStdString());
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

std::string defaultSerialPort() {
    const auto ports = availablePorts();
    for (const auto& p : ports)
        if (!p.isFtdi()) return p.path;
    return ports.empty() ? fallbackSerialPort() : ports.front().path;
}

}  // namespace vela
