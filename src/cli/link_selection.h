#pragma once
// Puts a session on the link that the global options chose, as the connection window
// leaves it once the user has connected, and turns command results into exit codes.

#include "cli/commands.h"
#include "session/session.h"
#include "session/unit_commands.h"

namespace vela::cli {

// False, after saying why, when the options name no link (--offline).
bool selectLink(Context& ctx, Session& session);
// The keyboard, password, only-change and copy-all commands go over USB or the serial line.
bool refuseEthernet(Context& ctx, const char* command);
int exitCode(CommandOutcome outcome);
// The probe exchange on the selected Ethernet or serial link; says so when no HALDA40 answers.
bool probeSelectedLink(Context& ctx, Session& session);
// MEMORY as a whole number 1..13; throws std::invalid_argument otherwise.
int memoryArgument(const Context& ctx, const char* command);

}  // namespace vela::cli
