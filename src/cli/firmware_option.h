#pragma once
// The DSP operating system a command sends: the built-in text or --firmware FILE.

#include "cli/commands.h"
#include "session/firmware_choice.h"

#include <optional>

namespace vela::cli {

// The image to send; nullopt, after saying why, when the text is unreadable, malformed, or
// the built-in stand-in bound for a real unit without --force.
std::optional<FirmwareChoice> firmwareFromOptions(const Context& ctx, const char* command);

} // namespace vela::cli
