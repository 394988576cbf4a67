#include "link/qt_serial_port.h"

#include "link/timeouts.h"

#include <QElapsedTimer>

namespace vela {

QtSerialPort::QtSerialPort(std::string portName) : name_(std::move(portName)) {
    port_.setPortName(QString::fromStdString(name_));
    port_.setReadBufferSize(2048);
}

bool QtSerialPort::open() {
    if (port_.isOpen()) port_.close();
    return port_.open(QIODevice::ReadWrite);
}

void QtSerialPort::close() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::applySettings(const LineSettings& s) {
    bool ok = port_.setBaudRate(s.baud);
    ok &= port_.setDataBits(s.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    ok &= port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    ok &= port_.setParity(s.parity == Parity::None  ? QSerialPort::NoParity
                          : s.parity == Parity::Odd ? QSerialPort::OddParity
                                                    : QSerialPort::EvenParity);
    ok &= port_.setFlowControl(s.flowControl ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
    return ok;
}

std::size_t QtSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) return 0;
    const qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (n < 0) return 0;
    QElapsedTimer timer;
    timer.start();
    while (port_.bytesToWrite() > 0 && timer.elapsed() < timeouts::kSerialWrite.count())
        port_.waitForBytesWritten(static_cast<int>(timeouts::kPumpSlice.count()));
    return static_cast<std::size_t>(n - port_.bytesToWrite());
}

bool QtSerialPort::waitForData(Millis timeout) {
    if (!port_.isOpen()) return false;
    return port_.bytesAvailable() > 0 || port_.waitForReadyRead(static_cast<int>(timeout.count()));
}

std::size_t QtSerialPort::read(std::span<std::uint8_t> out, Millis timeout) {
    if (out.empty() || !waitForData(timeout)) return 0;
    const qint64 n = port_.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace vela
