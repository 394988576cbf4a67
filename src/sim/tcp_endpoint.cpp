#include "sim/tcp_endpoint.h"

#include "sim/loopback_address.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <stdexcept>

namespace vela::sim {
namespace {

class TcpPort : public UnitPort {
public:
    explicit TcpPort(QTcpSocket& socket) : socket_(socket) {}

    Wait wait(Millis timeout) override {
        if (socket_.bytesAvailable() > 0) return Wait::Data;
        if (!connected()) return Wait::Hangup;
        if (socket_.waitForReadyRead(static_cast<int>(timeout.count()))) return Wait::Data;
        return connected() ? Wait::Timeout : Wait::Hangup;  // the PC closed its end
    }

    std::size_t read(std::span<std::uint8_t> out) override {
        const qint64 n = socket_.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void write(std::span<const std::uint8_t> bytes) override {
        if (!connected()) return;
        socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        // On the wire now, as the unit's answer byte would be: the PC's time-outs count from here.
        while (connected() && socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(1000)) {
        }
    }

    void hangup() override { socket_.abort(); }

private:
    bool connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

    QTcpSocket& socket_;
};

}  // namespace

TcpEndpoint::TcpEndpoint(SimulatedUnit& unit, std::uint16_t port, const std::string& address) : address_(address) {
    const QHostAddress host = loopbackAddress(address);
    port_ = thread_.start<std::uint16_t>([&unit, host, port, address](std::stop_token stop, std::promise<std::uint16_t>& ready) {
        QTcpServer server;
        if (!server.listen(host, port)) {
            ready.set_exception(std::make_exception_ptr(std::runtime_error(
                "cannot listen on " + address + ":" + std::to_string(port) + ": " + server.errorString().toStdString())));
            return;
        }
        ready.set_value(server.serverPort());
        while (!stop.stop_requested()) {
            // The server takes every connection waiting when it looks: those beyond the first are
            // already its own, and a wait would only see new ones.
            if (!server.hasPendingConnections() && !server.waitForNewConnection(50)) continue;
            const std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            if (!socket) continue;
            // One answer byte at a time: never hold it back.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            TcpPort connection(*socket);
            unit.serve(connection, stop);
        }
    });
}

}  // namespace vela::sim
