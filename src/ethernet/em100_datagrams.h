#pragma once
// The management datagrams of the unit's Ethernet module and the parse of its discovery
// reply, byte for byte.

#include "ethernet/device_table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vela {

// The module listens on this UDP port; every request goes there.
inline constexpr std::uint16_t kModuleUdpPort = 65535;
// A reply longer than this is cut: the window's reply buffer holds 101 bytes.
inline constexpr std::size_t kReplyDatagramSize = 101;

using Bytes = std::vector<std::uint8_t>;

Bytes discoverDatagram();
// "A" + DeviceId + "//" + the new address as dotted text + one zero byte.
Bytes changeIpDatagram(const std::string& deviceId, const std::string& address);
// First "L", then "SDN" + the new name.
std::pair<Bytes, Bytes> hostNameDatagrams(const std::string& name);
Bytes identifyDatagram();

// Splits a discovery reply: byte 0 is ignored, the rest is six "/"-separated fields and the
// sixth runs to the end. Replies with fewer than five separators hold no model or name and
// give nothing. The text ends at the datagram's end or at a zero byte.
std::optional<EthernetDevice> parseDiscoveryReply(std::span<const std::uint8_t> reply, const std::string& sender);

// The first three octets of the PC's IPv4 address + ".255"; nothing when the text is not a
// dotted IPv4 address.
std::optional<std::string> broadcastAddressFor(const std::string& pcAddress);

// True for a dotted IPv4 address: four numbers 0..255 of one to three digits.
bool isDottedIPv4(const std::string& text);

// The four octets of an address the module may take: each 0..255, the last 1..254, at most
// three digits each (the limits of the address edits).
std::optional<std::string> validModuleAddress(const std::string& dotted);

inline constexpr std::size_t kLongestHostName = 8;

// A host name as the name edit takes it: upper case, at most 8 characters; nothing when it is
// empty, too long or holds a character outside printable ASCII.
std::optional<std::string> validHostName(const std::string& name);

}  // namespace vela
