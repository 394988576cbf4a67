#pragma once
// The global link options: --usb[=DEVICE] (default), --serial[=PORT], --ethernet=HOST[:PORT],
// --sim, --offline.

#include "core/args.h"
#include "session/link_choice.h"

#include <string>

namespace vela {

// Throws std::invalid_argument on a malformed option. The window takes the same options.
LinkOptions parseLinkOptions(const Args& args);
// "HOST[:PORT]" as --ethernet takes it; throws std::invalid_argument when malformed.
LinkOptions ethernetLink(const std::string& address);
// Option names the link options use, for commands that check for unknown options.
const std::set<std::string>& linkOptionNames();

}  // namespace vela
