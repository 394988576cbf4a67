#include "link/qt_tcp_socket.h"

#include "link/tcp_socket.h"
#include "link/timeouts.h"

namespace vela {

std::unique_ptr<ByteChannel> makeTcpSocket(const std::string& host, std::uint16_t port) {
    return std::make_unique<QtTcpSocket>(host, port);
}

bool QtTcpSocket::open() {
    close();
    socket_.connectToHost(QString::fromStdString(host_), port_);
    if (!socket_.waitForConnected(static_cast<int>(timeouts::kEthernetConnect.count()))) return false;
    // Every step is a few bytes and then a wait for the answer: never hold them back to
    // gather a fuller segment.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void QtTcpSocket::close() {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return;
    socket_.abort();
}

std::size_t QtTcpSocket::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) return 0;
    const qint64 n = socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (n < 0) return 0;
    while (socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(static_cast<int>(timeouts::kSerialWrite.count()))) {
    }
    return static_cast<std::size_t>(n);
}

bool QtTcpSocket::waitForData(Millis timeout) {
    if (socket_.bytesAvailable() > 0) return true;
    if (!isOpen()) return false;
    return socket_.waitForReadyRead(static_cast<int>(timeout.count()));
}

std::size_t QtTcpSocket::read(std::span<std::uint8_t> out, Millis timeout) {
    if (out.empty() || !waitForData(timeout)) return 0;
    const qint64 n = socket_.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace vela
