#pragma once
// Puts a session on the link that the global options chose, as the connection window
// leaves it once the user has connected, and turns command results into exit codes.

#include "cli/commands.h"
#include "session/operation_result.h"
#include "session/session.h"

namespace vela::cli {

// False, after saying why, when the options name no link (--offline).
bool selectLink(Context& ctx, Session& session);
// Connects as the connection window does: over USB the connection step, elsewhere the probe;
// then, over USB and Ethernet, the identification of the unit (its read-back judges the model
// lock). Done when a unit answered and was identified; offline is Done too (nothing answers).
OperationResult connectUnit(Context& ctx, Session& session);
// The keyboard, password, only-change and copy-all commands go over USB or the serial line.
bool refuseEthernet(Context& ctx, const char* command);
int exitCode(OperationResult outcome);
// MEMORY as a whole number 1..13; throws std::invalid_argument otherwise.
int memoryArgument(const Context& ctx, const char* command);

} // namespace vela::cli
