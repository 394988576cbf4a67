#pragma once
// Finding the cabinets of a rig, as rig scan and rig load both do: the scan options, the
// scan itself and the model filter.

#include "cli/commands.h"
#include "session/rig_scan.h"

#include <optional>
#include <string>
#include <vector>

namespace vela::cli {

// --broadcast, --port, --tcp-port, --scan-time and --model; throws std::invalid_argument.
using RigScanOptions = RigScan;
RigScanOptions rigScanOptions(const Context& ctx);

// scanRig, saying why when no scan could be made.
std::optional<std::vector<FoundModule>> findCabinets(Context& ctx, RigScanOptions options);

}  // namespace vela::cli
