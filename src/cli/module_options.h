#pragma once
// The options every command that talks to Ethernet modules reads the same way: ports, the
// broadcast address and the model modules report.

#include "cli/commands.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vela::cli {

// --option as a port 1..65535, or fallback when not given; throws std::invalid_argument.
std::uint16_t portOption(const Context& ctx, const char* option, std::uint16_t fallback);
// --broadcast as a dotted IPv4 address; throws std::invalid_argument.
std::optional<std::string> broadcastOption(const Context& ctx);
// --model as a module reports it: a catalogue model is matched as load-all matches it
// (case and blanks do not matter) and becomes its exact name; another text stays as given.
std::optional<std::string> moduleModelOption(const Context& ctx);

}  // namespace vela::cli
