#pragma once
// The serial line (COM1 of the transfer window): polled every 70 ms, each poll that finds
// bytes delivering them as one receive event.

#include "link/byte_channel.h"

#include <memory>
#include <string>

namespace vela {

class DeviceLink;

class SerialChannel {
public:
    SerialChannel(DeviceLink& link, std::unique_ptr<ByteChannel> port);

    // Closes the port if open, then opens it with 57600 8N1, no handshaking, DTR low; false
    // when the port cannot be opened or set.
    bool SerialOpen();
    // Why the last open failed, naming the port: "Can't open the serial port: /dev/ttyS4: ...".
    std::string openFailure() const;
    // Says so, and goes offline.
    void reportOpenFailure();
    void SerialClose();
    // Gives up after the 6000 ms output time-out; returns the bytes written.
    std::size_t SerialWrite(const std::uint8_t* data, std::size_t n);
    void OnSerialData(const std::uint8_t* data, std::size_t size);
    // Waits up to `timeout` for the next poll that finds data, and delivers it as one event.
    bool pollReceive(Millis timeout);

    bool isOpen() const { return port_ && port_->isOpen(); }
    std::string portName() const { return port_ ? port_->address() : std::string(); }
    LineSettings settings;

private:
    DeviceLink& link_;
    std::unique_ptr<ByteChannel> port_;
};

}  // namespace vela
