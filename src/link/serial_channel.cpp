#include "link/serial_channel.h"

#include "link/device_link.h"
#include "link/timeouts.h"

#include <thread>

namespace vela {

SerialChannel::SerialChannel(DeviceLink& link, std::unique_ptr<ByteChannel> port)
    : link_(link), port_(std::move(port)) {}

bool SerialChannel::SerialOpen() {
    SerialClose();
    if (!port_ || !port_->open()) return false;
    if (!port_->applySettings(settings) || !port_->setDtr(false)) {
        SerialClose();
        return false;
    }
    return true;
}

std::string SerialChannel::openFailure() const {
    const std::string why = port_ ? port_->errorText() : std::string();
    return "Can't open the serial port" + (why.empty() ? " " + portName() : ": " + why);
}

void SerialChannel::reportOpenFailure() {
    link_.ui.error(openFailure());
    link_.runOfflineAction();
    link_.ui.closeTransferWindow();
}

void SerialChannel::SerialClose() {
    if (port_) port_->close();
}

std::size_t SerialChannel::SerialWrite(const std::uint8_t* data, std::size_t n) {
    if (!isOpen()) return 0;
    return port_->write(std::span(data, n));
}

void SerialChannel::OnSerialData(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    auto& b = link_.buffers;
    b.LastReplyByte = data[0];
    b.SerialReceiveData.assign(data, data + size);
    b.ByteReceived = true;
}

bool SerialChannel::pollReceive(Millis timeout) {
    if (!isOpen()) {
        std::this_thread::sleep_for(std::min(timeout, timeouts::kSerialPoll));
        return false;
    }
    if (!port_->waitForData(timeout)) return false;
    // The port is polled, not interrupt-driven: what arrives until the next poll is one event.
    std::this_thread::sleep_for(timeouts::kSerialPoll);
    std::uint8_t data[2048];
    const std::size_t n = port_->read(std::span(data), Millis(0));
    OnSerialData(data, n);
    return n > 0;
}

}  // namespace vela
