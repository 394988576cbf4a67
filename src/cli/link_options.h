#pragma once
// The global link options: --usb[=DEVICE] (default), --serial[=PORT], --ethernet=HOST[:PORT],
// --sim, --offline.

#include "cli/args.h"
#include "core/session_state.h"
#include "link/device_link.h"

#include <cstdint>
#include <string>

namespace vela::cli {

struct LinkOptions {
    LinkKind kind = LinkKind::USB;
    bool sim = false;
    std::string usbDevice;   // explicit tty of the bridge; empty: the first FTDI bridge
    std::string serialPort;  // empty: the machine's first serial port
    std::string host;
    std::uint16_t tcpPort = kEthernetTcpPort;
};

// Throws std::invalid_argument on a malformed option.
LinkOptions parseLinkOptions(const Args& args);
// The devices the channels lead to for real hardware (or pseudo-terminals).
LinkDevices hardwareDevices(const LinkOptions& options);
// Option names the link options use, for commands that check for unknown options.
const std::set<std::string>& linkOptionNames();

}  // namespace vela::cli
