#pragma once
// A serial port through QSerialPort, used synchronously.

#include "link/byte_channel.h"

#include <QSerialPort>

namespace vela {

class QtSerialPort : public ByteChannel {
public:
    explicit QtSerialPort(std::string portName);

    bool open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    bool applySettings(const LineSettings& settings) override;
    bool setDtr(bool on) override { return port_.setDataTerminalReady(on); }
    bool setRts(bool on) override { return port_.setRequestToSend(on); }
    std::string errorText() const override { return port_.errorString().toStdString(); }
    std::string address() const override { return name_; }

private:
    std::string name_;
    QSerialPort port_;
};

}  // namespace vela
