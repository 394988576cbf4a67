#pragma once
// How a cabinet's run ended, in the one word the rig's table and window show.

#include "session/cabinet_load.h"

namespace vela {

// "completed", "skipped", "declined", "failed", "link lost" or "stopped".
const char* outcomeName(const CabinetResult& result);

} // namespace vela
