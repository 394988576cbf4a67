#pragma once
// The simulated unit and rig listen on loopback addresses only: nothing they open is
// reachable from another machine.

#include <QHostAddress>

#include <string>

namespace vela::sim {

// The address dotted names; throws std::invalid_argument unless it is an IPv4 address of
// 127.0.0.0/8.
QHostAddress loopbackAddress(const std::string& dotted);

// 127.0.0.1 + offset as dotted text (offset 1 gives 127.0.0.2); throws std::invalid_argument
// past 127.0.0.254.
std::string loopbackHost(int offset);

}  // namespace vela::sim
