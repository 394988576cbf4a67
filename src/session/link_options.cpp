#include "session/link_options.h"

#include <stdexcept>

namespace vela {

LinkOptions ethernetLink(const std::string& address) {
    LinkOptions o;
    o.kind = LinkKind::Ethernet;
    const auto colon = address.rfind(':');
    o.host = address.substr(0, colon);
    if (colon != std::string::npos) {
        const long port = parseInteger(address.substr(colon + 1), "--ethernet port");
        if (port < 1 || port > 65535) throw std::invalid_argument("--ethernet: port out of range: " + address);
        o.tcpPort = static_cast<std::uint16_t>(port);
    }
    if (o.host.empty()) throw std::invalid_argument("--ethernet needs a host: --ethernet=HOST[:PORT]");
    return o;
}

LinkOptions parseLinkOptions(const Args& args) {
    LinkOptions o;
    int chosen = 0;
    if (args.has("usb")) {
        ++chosen;
        o.usbDevice = args.value("usb", "");
    }
    if (args.has("serial")) {
        ++chosen;
        o.kind = LinkKind::COM1;
        o.serialPort = args.value("serial", "");
    }
    if (auto e = args.value("ethernet")) {
        ++chosen;
        o = ethernetLink(*e);
    }
    if (args.has("offline")) {
        ++chosen;
        o.kind = LinkKind::Offline;
    }
    if (chosen > 1) throw std::invalid_argument("choose one link: --usb, --serial, --ethernet or --offline");
    o.sim = args.has("sim");
    return o;
}

const std::set<std::string>& linkOptionNames() {
    static const std::set<std::string> names = {"usb", "serial", "ethernet", "sim", "offline"};
    return names;
}

}  // namespace vela
