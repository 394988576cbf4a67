#pragma once
// Finding the cabinets of a rig, as rig scan and rig load both do: the scan options, the
// scan itself and the model filter.

#include "cli/commands.h"
#include "ethernet/module_scanner.h"

#include <optional>
#include <string>
#include <vector>

namespace vela::cli {

// --broadcast, --port, --tcp-port, --scan-time and --model; throws std::invalid_argument.
struct RigScanOptions {
    std::optional<std::string> broadcast;  // default: as ethernet scan
    ScanSettings settings;                 // targets filled by findCabinets
    std::optional<std::string> model;      // only modules that report it
};
RigScanOptions rigScanOptions(const Context& ctx);

// Scans and returns the modules found (those of the model, when given), ordered by address;
// nullopt after saying why when no scan could be made. None found is an empty list.
std::optional<std::vector<FoundModule>> findCabinets(Context& ctx, RigScanOptions options);

}  // namespace vela::cli
