#include "link/ethernet_channel.h"

#include "link/device_link.h"
#include "link/timeouts.h"

#include <algorithm>
#include <chrono>

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
    if (!socket_ || !socket_->open()) abandon();
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

bool EthernetChannel::pollReceive(Millis timeout, std::size_t expected) {
    // Bytes that came before the module closed the connection are still delivered.
    if (!socket_ || !socket_->waitForData(timeout)) return false;
    OnEthernetRead(expected);
    return true;
}

void EthernetChannel::OnEthernetRead(std::size_t expected) {
    auto& b = link_.buffers;
    b.EthernetReceiveBuffer.fill(0);
    const std::span<std::uint8_t> buffer(b.EthernetReceiveBuffer);
    expected = std::clamp<std::size_t>(expected, 1, buffer.size());
    // The event holds what the settle time would have gathered: the bytes the step expects
    // come in one piece or several close together, and the unit sends nothing more until it
    // is answered. So the event ends as soon as they are all here.
    const auto settled = std::chrono::steady_clock::now() + timeouts::kEthernetSettle;
    std::size_t count = socket_->read(buffer, Millis(0));
    while (count < expected && socket_->isOpen()) {
        const auto left =
            std::chrono::ceil<Millis>(settled - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        count += socket_->read(buffer.subspan(count), left);
    }
    b.EthernetDataReceived = true;
    b.EthernetReceiveCount = static_cast<std::int32_t>(count);
}

void EthernetChannel::OnEthernetError(std::string_view detail) {
    std::string text =
        "ETHERNET error: Opening IP: " + host_ + ". Verify if the IP is Correct and the Processor is Switched ON";
    if (!detail.empty()) text += "\n" + std::string(detail);
    link_.ui.error(text);
    link_.DropLink();
}

std::string EthernetChannel::failure() const {
    std::string what = host_ + ":" + std::to_string(port_);
    if (const std::string why = socket_ ? socket_->errorText() : std::string(); !why.empty()) what += ": " + why;
    return what;
}

void EthernetChannel::abandon() {
    // Read before the link is dropped, which closes the socket.
    const std::string what = failure();
    OnEthernetError(what);
    throw LinkAbandoned(what);
}

}  // namespace vela
