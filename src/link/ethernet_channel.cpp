#include "link/ethernet_channel.h"

#include "link/device_link.h"
#include "link/timeouts.h"

#include <algorithm>
#include <thread>

namespace vela {

EthernetChannel::EthernetChannel(DeviceLink& link, SocketFactory factory)
    : link_(link), factory_(std::move(factory)) {}

void EthernetChannel::setAddress(std::string host, std::uint16_t port) {
    close();
    host_ = std::move(host);
    port_ = port;
    socket_.reset();
}

void EthernetChannel::close() {
    if (socket_) socket_->close();
}

bool EthernetChannel::ReconnectEthernet() {
    close();
    if (!socket_ && factory_) socket_ = factory_(host_, port_);
    if (!socket_ || !socket_->open()) {
        OnEthernetError();
        throw LinkAbandoned("ETHERNET error: " + host_);
    }
    link_.buffers.EthernetDataReceived = false;
    return socket_->isOpen();
}

std::size_t EthernetChannel::EthernetWrite(std::size_t n) {
    if (!isActive()) return 0;
    n = std::min(n, link_.buffers.EthernetSendBuffer.size());
    return socket_->write(std::span(link_.buffers.EthernetSendBuffer.data(), n));
}

bool EthernetChannel::writeBytes(std::span<const std::uint8_t> bytes) {
    auto& staged = link_.buffers.EthernetSendBuffer;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), staged.size());
        std::copy_n(bytes.begin(), n, staged.begin());
        if (EthernetWrite(n) != n) return false;
        bytes = bytes.subspan(n);
    }
    return true;
}

bool EthernetChannel::pollReceive(Millis timeout) {
    if (!isActive() || !socket_->waitForData(timeout)) return false;
    OnEthernetRead();
    return true;
}

void EthernetChannel::OnEthernetRead() {
    auto& b = link_.buffers;
    b.EthernetReceiveBuffer.fill(0);
    std::this_thread::sleep_for(timeouts::kEthernetSettle);
    b.EthernetDataReceived = true;
    // At most 101 bytes per event; the rest stays pending for the next one.
    b.EthernetReceiveCount = static_cast<std::int32_t>(socket_->read(std::span(b.EthernetReceiveBuffer), Millis(0)));
}

void EthernetChannel::OnEthernetError() {
    link_.ui.error("ETHERNET error: Opening IP: " + host_ +
                   ". Verify if the IP is Correct and the Processor is Switched ON");
    link_.DropLink();
}

}  // namespace vela
