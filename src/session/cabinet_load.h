#pragma once
// Loading one cabinet from start to end: connect and identify it, choose its library under the
// model lock, back up what the run overwrites when asked, write the programs and the operating
// system, and read the memories back when asked. The command line's load-all, the library
// window's Update and every cabinet of a rig run go through loadCabinet. It ends in a result
// whatever happens, so that it can run on a thread of its own.

#include "library/library_window.h"
#include "session/firmware_choice.h"
#include "session/link_choice.h"
#include "session/operation_result.h"
#include "session/operations.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vela {

class Session;

// Where a cabinet's run is, in the order the run goes through them.
enum class CabinetPhase { Connecting, Library, Backup, Writing, OperatingSystem, Verifying, Finished };
// "connecting", "library", "backup", "writing", "operating system", "verifying", "finished".
const char* phaseName(CabinetPhase phase);

// Which library goes in.
struct LibraryRequest {
    enum class Kind {
        Open,      // the one open in the library window (the user chose it there)
        UnitsOwn,  // the one the unit's model code locks
        Model,     // the catalogue row `row`
        File,      // the file `file`
    };
    Kind kind = Kind::Open;
    int row = -1;
    std::string file;
};

struct CabinetRequest {
    // Connect over this link first; nullopt when the session is connected and identified.
    std::optional<LinkOptions> connect;
    LibraryRequest library;
    // Frees a model list that the unit locked.
    std::optional<std::string> serviceCode;
    bool backupFirst = false;
    bool verify = false;
    // The cabinet's name in its backup's file name (a rig's host name or address); the
    // link's address when empty.
    std::string cabinet;
};

// Why the library was refused before anything was written.
enum class LibraryRefusal {
    None,
    NoModel,         // the unit names no model and none was given
    Locked,          // the unit is locked to another model
    BadServiceCode,  // the service code given is wrong
    Unreadable,      // the library could not be opened
};

struct CabinetResult {
    // Done only when every memory, the operating system and (when asked) every read-back
    // went well.
    OperationResult outcome = OperationResult::Failed;
    CabinetPhase endedIn = CabinetPhase::Connecting;  // Finished when it completed
    LibraryRefusal refusal = LibraryRefusal::None;
    // Set for the refusals this operation makes; other failures were said through the
    // session's user interface.
    std::string reason;
    std::string library;  // the library's file name, for display
    // The catalogue row of the model the unit reports, -1 for none: as read when connected, and
    // after a completed run the one its new programs carry.
    int modelRow = -1;
    std::optional<LoadAllReport> report;  // set once writing began
    std::optional<std::filesystem::path> backupFile;
    std::vector<MemoryVerdict> verify;
    std::chrono::steady_clock::duration time{};

    bool complete() const { return outcome == OperationResult::Done; }
    bool verifyFailed() const;
};

// Called on the loading thread each time the run enters a phase.
using PhaseListener = std::function<void(CabinetPhase)>;

CabinetResult loadCabinet(Session& session, const CabinetRequest& request, const FirmwareChoice& firmware,
                          const PhaseListener& onPhase = {});

} // namespace vela
