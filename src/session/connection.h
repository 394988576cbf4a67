#pragma once
// The connection step: choosing how the unit is reached and, over USB, checking that a
// HALDA40 answers and reading its current program back.

#include "core/session_state.h"

namespace vela {

class Session;

// Selects the link of the button with this Tag, then runs connectChosenLink and hides the
// connection window. Offline is also the link-lost action of every channel.
void switchLink(Session& session, LinkKind tag);
// Finishes what switchLink selected: over USB the probe, the read-back and the library
// window's model list; over Ethernet the module window; offline the status line.
void connectChosenLink(Session& session);

}  // namespace vela
