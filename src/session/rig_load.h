#pragma once
// Loads many cabinets at once: one thread and one session per cabinet, at most `jobs` at a
// time. Every cabinet's run ends in its own result; one that fails never stops the others.
// A stop request reaches every cabinet through the process's stop source.

#include "core/run_log.h"
#include "session/cabinet_load.h"
#include "session/cabinet_reporter.h"
#include "session/link_choice.h"
#include "session/session.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vela {

struct CabinetToLoad {
    std::string name;  // how the cabinet is listed: its host name or address
    LinkOptions link;
    // The library of this cabinet; the rig's own choice when Kind::Open is left here.
    LibraryRequest library;
};

struct RigRequest {
    std::vector<CabinetToLoad> cabinets;
    CabinetRequest each;  // backup, verify, service code; connect and library come per cabinet
    int jobs = 0;         // at most this many at once; 0: all
    // Makes the session of a cabinet, its channels leading where the cabinet's link says.
    std::function<std::unique_ptr<Session>(UserInterface&, const CabinetToLoad&)> openSession;
    RunLog* log = nullptr;  // each cabinet writes its own section
};

struct RigCabinetResult {
    std::string name;
    CabinetResult result;
    std::string problem;  // the last error or warning its session gave
};

// The results in the order of the cabinets.
std::vector<RigCabinetResult> loadRig(const RigRequest& request, const FirmwareChoice& firmware,
                                      CabinetEventSink& sink);

} // namespace vela
