#include "sim/loopback_address.h"

#include <stdexcept>

namespace vela::sim {

QHostAddress loopbackAddress(const std::string& dotted) {
    const QHostAddress a(QString::fromStdString(dotted));
    bool ipv4 = false;
    const quint32 value = a.toIPv4Address(&ipv4);
    if (!ipv4 || (value >> 24) != 127) throw std::invalid_argument("not a loopback address (127.x.y.z): " + dotted);
    return a;
}

std::string loopbackHost(int offset) {
    if (offset < 0 || offset > 253) throw std::invalid_argument("no loopback host 127.0.0." + std::to_string(offset + 1));
    return "127.0.0." + std::to_string(offset + 1);
}

}  // namespace vela::sim
