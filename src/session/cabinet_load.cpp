#include "session/cabinet_load.h"

#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "session/backup.h"
#include "session/guarded.h"
#include "session/identify.h"
#include "session/library_announcement.h"

#include <algorithm>

namespace vela {
namespace {

const ModelEntry& modelAt(int row) { return ModelCatalogue::rows()[static_cast<std::size_t>(row)]; }

std::string modelName(int row) { return unitName(modelAt(row).name); }

void refuse(CabinetResult& r, LibraryRefusal why, std::string reason) {
    r.refusal = why;
    r.reason = std::move(reason);
    r.outcome = OperationResult::Failed;
}

// A unit whose model code locked the model list takes only its own model's library; the
// service code frees the list, as it does in the window.
void refuseLocked(Session& s, CabinetResult& r, const std::string& wanted) {
    const LibraryWindowState& list = s.libraryWindow;
    const int code = static_cast<std::int8_t>(s.receivedImage[4]);
    const std::string unit =
        list.selectedRow >= 0
            ? "this unit is a " + modelName(list.selectedRow) + " (its presets are " +
                  std::string(modelAt(list.selectedRow).libraryFile) + ")"
            : "this unit's model code " + std::to_string(code) + " is no model of this catalogue";
    refuse(r, LibraryRefusal::Locked,
           unit + ", and its model list is locked: " + wanted +
               " goes into it only with the service code (--service-code CODE)");
    s.ui.error(r.reason);
}

void refuseUnreadable(CabinetResult& r) {
    refuse(r, LibraryRefusal::Unreadable, "the library could not be opened");
}

// Opens the library the request names, judged by the model lock; false after refusing.
bool chooseLibrary(Session& s, const CabinetRequest& request, CabinetResult& r) {
    LibraryWindow& form = s.libraryForm;
    const LibraryWindowState& list = s.libraryWindow;
    if (request.serviceCode) {
        enterServiceCode(s, *request.serviceCode);
        if (!list.modelListEnabled) {
            refuse(r, LibraryRefusal::BadServiceCode, "The service code is not valid.");
            s.ui.error(r.reason);
            return false;
        }
    }
    const bool locked = list.lockedByUnit && !list.modelListEnabled;
    const int own = list.selectedRow;  // the unit's own row, -1 for none
    r.modelRow = list.lockedByUnit ? own : -1;
    const LibraryRequest& wanted = request.library;
    switch (wanted.kind) {
    case LibraryRequest::Kind::Open:
        return true;
    case LibraryRequest::Kind::File: {
        // A file named as the unit's own library is its own model's presets.
        const bool ownFile = own >= 0 && std::filesystem::path(wanted.file).filename() ==
                                             std::filesystem::path(modelAt(own).libraryFile);
        if (locked && !ownFile) {
            refuseLocked(s, r, "the library " + displayText(wanted.file));
            return false;
        }
        if (openLibraryFile(s, wanted.file) == OperationResult::Done) return true;
        refuseUnreadable(r);
        return false;
    }
    case LibraryRequest::Kind::UnitsOwn:
        if (locked && own >= 0) break;
        if (locked) {
            refuseLocked(s, r, "a model's presets");
            return false;
        }
        refuse(r, LibraryRefusal::NoModel, "the unit reports no model");
        return false;
    case LibraryRequest::Kind::Model:
        if (locked && wanted.row != own) {
            refuseLocked(s, r, "the presets of " + modelName(wanted.row));
            return false;
        }
        chooseModel(s, wanted.row);
        break;
    }
    if (form.buffer[0]) return true;
    refuseUnreadable(r);
    return false;
}

// Everything but the clock; `enter` tells the listener and remembers the phase.
void run(Session& s, const CabinetRequest& request, const FirmwareChoice& firmware, CabinetResult& r,
         const std::function<void(CabinetPhase)>& enter) {
    if (request.connect) {
        enter(CabinetPhase::Connecting);
        r.outcome = connectAndIdentify(s, *request.connect);
        if (r.outcome != OperationResult::Done) {
            if (r.outcome == OperationResult::Stopped)
                s.ui.warning("The update was stopped while connecting; nothing was written.");
            return;
        }
    }
    enter(CabinetPhase::Library);
    if (!chooseLibrary(s, request, r)) return;
    r.library = displayText(s.libraryForm.openedFile);
    const LibraryBuffer library = s.libraryForm.buffer;
    if (request.library.kind != LibraryRequest::Kind::Open) {
        // Chosen for the user rather than by them: say exactly what is about to be written,
        // before anything is.
        if (const auto shadow = shadowedLibrary(s.libraryForm)) s.ui.warning(*shadow);
        s.ui.information(libraryToSend(s.libraryForm));
    }
    if (request.backupFirst) {
        // Nothing is written unless what the run overwrites has been saved.
        enter(CabinetPhase::Backup);
        const BackupResult backup = backupBeforeLoadAll(s, request.cabinet);
        if (backup.result != OperationResult::Done) {
            r.outcome = backup.result;
            return;
        }
        r.backupFile = backup.file;
    }
    enter(CabinetPhase::Writing);
    r.report = loadAllMemories(s, firmware);
    if (!r.report->complete()) {
        r.outcome = r.report->stopped ? OperationResult::Stopped
                    : s.state.LinkLost ? OperationResult::LinkLost
                                       : OperationResult::Failed;
        return;
    }
    if (request.verify) {
        enter(CabinetPhase::Verifying);
        r.verify = verifyWrittenMemories(s, *r.report, library);
        if (r.verifyFailed()) {
            const bool stopped = s.ui.stop.requested();
            r.outcome = stopped ? OperationResult::Stopped : OperationResult::Failed;
            return;
        }
    }
    r.outcome = OperationResult::Done;
    const auto code = libraryModelCode(library);
    const auto row = code ? ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(*code)) : std::nullopt;
    r.modelRow = row ? static_cast<int>(*row) : -1;
}

} // namespace

const char* phaseName(CabinetPhase phase) {
    switch (phase) {
    case CabinetPhase::Connecting: return "connecting";
    case CabinetPhase::Library: return "library";
    case CabinetPhase::Backup: return "backup";
    case CabinetPhase::Writing: return "writing";
    case CabinetPhase::OperatingSystem: return "operating system";
    case CabinetPhase::Verifying: return "verifying";
    case CabinetPhase::Finished: return "finished";
    }
    return "";
}

bool CabinetResult::verifyFailed() const {
    return std::any_of(verify.begin(), verify.end(), [](const MemoryVerdict& v) { return v.second != "same"; });
}

CabinetResult loadCabinet(Session& s, const CabinetRequest& request, const FirmwareChoice& firmware,
                          const PhaseListener& onPhase) {
    const auto start = std::chrono::steady_clock::now();
    CabinetResult r;
    auto enter = [&](CabinetPhase phase) {
        r.endedIn = phase;
        if (onPhase) onPhase(phase);
    };
    // The operations inside end in results of their own; this catches what slips between them,
    // so that nothing escapes the cabinet's thread.
    const OperationResult caught = guardedStep(s, [&] { run(s, request, firmware, r, enter); });
    if (caught != OperationResult::Done) r.outcome = caught;
    if (r.complete()) r.endedIn = CabinetPhase::Finished;
    r.time = std::chrono::steady_clock::now() - start;
    if (onPhase) onPhase(CabinetPhase::Finished);
    return r;
}

} // namespace vela
