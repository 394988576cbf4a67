#include "ethernet/em100_datagrams.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vela {
namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The dotted octets of an IPv4 address as written; nothing unless there are four runs of one
// to three digits, each at most 255.
std::optional<std::array<std::string, 4>> octets(const std::string& dotted) {
    std::array<std::string, 4> out;
    std::size_t field = 0;
    for (const char c : dotted) {
        if (c == '.') {
            if (++field == out.size()) return std::nullopt;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)) || out[field].size() == 3) return std::nullopt;
        out[field] += c;
    }
    if (field != 3) return std::nullopt;
    for (const auto& o : out)
        if (o.empty() || std::stoi(o) > 255) return std::nullopt;
    return out;
}

}  // namespace

Bytes discoverDatagram() { return bytesOf("X"); }

Bytes changeIpDatagram(const std::string& deviceId, const std::string& address) {
    Bytes out = bytesOf("A" + deviceId + "//" + address);
    out.push_back(0x00);
    return out;
}

std::pair<Bytes, Bytes> hostNameDatagrams(const std::string& name) { return {bytesOf("L"), bytesOf("SDN" + name)}; }

Bytes identifyDatagram() { return bytesOf("B"); }

std::optional<EthernetDevice> parseDiscoveryReply(std::span<const std::uint8_t> reply, const std::string& sender) {
    reply = reply.first(std::min(reply.size(), kReplyDatagramSize));
    if (reply.empty()) return std::nullopt;
    std::string text(reply.begin() + 1, reply.end());
    if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);

    std::array<std::string, 6> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const auto slash = text.find('/', start);
        if (slash == std::string::npos) return std::nullopt;
        fields[i] = text.substr(start, slash - start);
        start = slash + 1;
    }
    fields[5] = text.substr(start);
    return EthernetDevice{sender, fields[5], fields[4], fields[0]};
}

std::optional<std::string> broadcastAddressFor(const std::string& pcAddress) {
    const auto o = octets(pcAddress);
    if (!o) return std::nullopt;
    return (*o)[0] + "." + (*o)[1] + "." + (*o)[2] + ".255";
}

bool isDottedIPv4(const std::string& text) { return octets(text).has_value(); }

std::optional<std::string> validModuleAddress(const std::string& dotted) {
    const auto o = octets(dotted);
    if (!o) return std::nullopt;
    const int last = std::stoi((*o)[3]);
    if (last < 1 || last > 254) return std::nullopt;
    // The edits show plain numbers ("0" format), so 010 is sent as 10.
    std::string out;
    for (const auto& part : *o) {
        if (!out.empty()) out += '.';
        out += std::to_string(std::stoi(part));
    }
    return out;
}

std::optional<std::string> validHostName(const std::string& name) {
    if (name.empty() || name.size() > kLongestHostName) return std::nullopt;
    std::string out;
    for (const char c : name) {
        if (c < ' ' || c > '~') return std::nullopt;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace vela
