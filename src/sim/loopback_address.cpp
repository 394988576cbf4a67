#include "sim/loopback_address.h"

#include <arpa/inet.h>
#include <stdexcept>

namespace vela::sim {

sockaddr_in loopbackAddress(const std::string& dotted, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (::inet_pton(AF_INET, dotted.c_str(), &a.sin_addr) != 1 || (ntohl(a.sin_addr.s_addr) >> 24) != 127)
        throw std::invalid_argument("not a loopback address (127.x.y.z): " + dotted);
    return a;
}

std::string loopbackHost(int offset) {
    if (offset < 0 || offset > 253) throw std::invalid_argument("no loopback host 127.0.0." + std::to_string(offset + 1));
    return "127.0.0." + std::to_string(offset + 1);
}

}  // namespace vela::sim
