#pragma once
// The TCP client to the unit's Ethernet module, used synchronously: each system's own sockets
// (Qt's on Linux, Windows Sockets on Windows, where Qt's waits cost milliseconds an exchange).

#include "link/byte_channel.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vela {

// An unopened socket to host:port; open() connects within the connection time-out.
std::unique_ptr<ByteChannel> makeTcpSocket(const std::string& host, std::uint16_t port);

} // namespace vela
