#pragma once
// Finding the cabinets of a rig and reading back what each one is: rig scan, rig load and the
// Ethernet window's whole-rig view all find them this way.

#include "ethernet/module_scanner.h"
#include "session/cabinet_identity.h"
#include "session/rig_load.h"

#include <optional>
#include <string>
#include <vector>

namespace vela {

struct RigScan {
    std::optional<std::string> broadcast;  // default: every interface, as the module scan does
    ScanSettings settings;                 // targets filled by scanRig
    std::optional<std::string> model;      // only modules that report it
};

// Scans and returns the modules found (those of the model, when given), ordered by address;
// nullopt, with `why`, when no scan could be made. None found is an empty list.
std::optional<std::vector<FoundModule>> scanRig(RigScan scan, std::string& why);

// What every cabinet says it is, all read at once, one thread and session each; in the
// order of `cabinets`.
std::vector<CabinetIdentity> identifyCabinets(const std::vector<FoundModule>& cabinets);

// The cabinets a run of `model` loads, in their order: those whose module reports the model,
// and those whose module names no model of the catalogue while their unit reports the model or
// none (a blank cabinet, which is what an installer loads). Only the latter are read.
std::vector<FoundModule> cabinetsOfModel(const std::vector<FoundModule>& found, const std::string& model);

// How a rig lists a found cabinet: "HOST (IP)", or the address alone for a module without a
// host name. Unique, as the scan lists an address once.
std::string cabinetName(const FoundModule& cabinet);

// A found cabinet to load: its name and its TCP link; the library is the rig's choice.
CabinetToLoad cabinetToLoad(const FoundModule& cabinet);

}  // namespace vela
