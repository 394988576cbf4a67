#include "ethernet/qt_udp_endpoint.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <algorithm>
#include <thread>

namespace vela {
namespace {

std::optional<QHostAddress> ipv4(const QHostAddress& a) {
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    if (!ok) return std::nullopt;
    return QHostAddress(v4);
}

}  // namespace

QtUdpEndpoint::QtUdpEndpoint(const std::string& address, std::uint16_t port, QAbstractSocket::BindMode mode) {
    socket_.bind(QHostAddress(QString::fromStdString(address)), port, mode);
}

bool QtUdpEndpoint::send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) {
    const QHostAddress to(QString::fromStdString(address));
    if (to.isNull()) return false;
    const auto n = socket_.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                                         static_cast<qint64>(bytes.size()), to, port);
    return n == static_cast<qint64>(bytes.size());
}

std::optional<Datagram> QtUdpEndpoint::receive(std::chrono::milliseconds timeout) {
    if (socket_.state() != QAbstractSocket::BoundState) {
        // Nothing can come, and waitForReadyRead would return at once: callers that wait for
        // an answer in slices would spin the processor until their time-out.
        std::this_thread::sleep_for(timeout);
        return std::nullopt;
    }
    if (!socket_.hasPendingDatagrams() && !socket_.waitForReadyRead(static_cast<int>(timeout.count())))
        return std::nullopt;
    if (!socket_.hasPendingDatagrams()) return std::nullopt;
    const QNetworkDatagram d = socket_.receiveDatagram();
    if (!d.isValid()) return std::nullopt;
    Datagram out;
    const auto sender = ipv4(d.senderAddress());
    out.address = (sender ? *sender : d.senderAddress()).toString().toStdString();
    out.port = static_cast<std::uint16_t>(d.senderPort());
    const QByteArray data = d.data();
    out.bytes.assign(data.begin(), data.end());
    return out;
}

std::string QtLocalHost::hostName() { return QHostInfo::localHostName().toStdString(); }

std::optional<std::string> QtLocalHost::addressOf(const std::string& hostName) {
    const QHostInfo info = QHostInfo::fromName(QString::fromStdString(hostName));
    std::optional<QHostAddress> first;
    for (const auto& a : info.addresses())
        if (auto v4 = ipv4(a)) {
            first = v4;
            break;
        }
    if (!first) return std::nullopt;
    if (first->isLoopback()) {
        for (const auto& iface : QNetworkInterface::allInterfaces()) {
            const auto flags = iface.flags();
            if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack)) continue;
            for (const auto& entry : iface.addressEntries())
                if (auto v4 = ipv4(entry.ip()); v4 && !v4->isLoopback()) return v4->toString().toStdString();
        }
    }
    return first->toString().toStdString();
}

std::vector<std::string> QtLocalHost::interfaceBroadcastAddresses() {
    std::vector<std::string> out;
    for (const auto& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            !(flags & QNetworkInterface::CanBroadcast) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const auto& entry : iface.addressEntries()) {
            if (!ipv4(entry.ip()) || entry.broadcast().isNull()) continue;
            const std::string b = entry.broadcast().toString().toStdString();
            if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
        }
    }
    return out;
}

}  // namespace vela
