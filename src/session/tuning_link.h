#pragma once
// The designer's own link: it connects with the link the program was started with, probes
// and reads the unit back as the connection window does, and leaves the installer's windows
// as they were, so that tuning never leads straight to Update.

#include "session/link_choice.h"
#include "session/operation_result.h"

namespace vela {

class Session;

// Done when a HALDA40 answered and was read back; otherwise it has said why and the session
// is offline. An offline `link` connects nothing: Failed, without a word.
OperationResult connectForTuning(Session& session, const LinkOptions& link);
// Ends real-time mode and leaves the link.
void disconnectForTuning(Session& session);

}  // namespace vela
