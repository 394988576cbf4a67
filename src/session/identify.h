#pragma once
// Identifying the unit: memory ProgramNumber is read back and its model code judges the model
// list's lock. Every link runs it before anything is written, so that a cabinet locked to its
// model never takes another model's programs, whichever way it is reached.

#include "session/memory_read.h"
#include "session/link_choice.h"
#include "session/operation_result.h"

namespace vela {

class Session;

// Reads memory ProgramNumber and applies what it says (applyReadBack). Each call judges this
// cabinet afresh, never by the one connected before.
MemoryRead identifyUnit(Session& session);

// identifyUnit as an operation, after a probe on Ethernet or the serial line: Failed, after
// saying why, when the memory could not be read.
OperationResult identifyConnectedUnit(Session& session);

// Connects as the connection window does and identifies the unit on every link that reads a
// memory back: over USB the connection step, over Ethernet the probe and then identifyUnit,
// over the serial line the probe. Offline is Done: nothing answers, and the caller says what
// that means.
OperationResult connectAndIdentify(Session& session, const LinkOptions& link);

// What a read-back means for the library window: a model code of 2 or more chooses and locks
// its row, a smaller one frees the list, an empty memory frees it too. Over USB a unit that
// is silent after its empty answer is no HALDA40: that is said and the session goes offline.
void applyReadBack(Session& session, const MemoryRead& read);

} // namespace vela
