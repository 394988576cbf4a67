#pragma once
// Where a session's channels lead, as both front ends choose it: the bridge or its tty, the
// serial port, the module's host and port, or the simulated unit inside the program; and
// where library and manual files are looked for.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "link/device_link.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vela {

class Session;

struct LinkOptions {
    LinkKind kind = LinkKind::USB;
    bool sim = false;
    std::string usbDevice;  // explicit tty or COM port of the bridge; empty: the first FTDI bridge
    std::string serialPort; // empty: the machine's first serial port
    std::string host;
    std::uint16_t tcpPort = kEthernetTcpPort;
};

// The devices the channels lead to for real hardware (or pseudo-terminals).
LinkDevices hardwareDevices(const LinkOptions& options);
// Only the TCP link, for a session that reaches its unit over Ethernet alone (one cabinet of a
// rig): no bridge and no serial port is looked for.
LinkDevices tcpDevices();
// A session whose channels lead where `link` says.
std::unique_ptr<Session> openSession(UserInterface& ui, const LinkOptions& link);
// Makes the chosen link the active one without the connection window's probe, as a session
// is once the user has connected; false for the offline choice.
bool activateLink(Session& session, const LinkOptions& link);

} // namespace vela
