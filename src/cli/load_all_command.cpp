// load-all: the run that puts a model's presets and the DSP operating system into the unit,
// once or cabinet after cabinet, with an optional read-back check of every memory written.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/firmware_option.h"
#include "cli/json.h"
#include "cli/library_choice.h"
#include "cli/link_selection.h"
#include "cli/session_factory.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "link/port_discovery.h"
#include "session/backup.h"
#include "session/operations.h"

#include <optional>
#include <stdexcept>
#include <thread>

namespace vela::cli {
namespace {

// What one cabinet's run gave: no report when it ended before the memories were begun.
struct CabinetResult {
    int code = kExitOk;
    std::optional<LoadAllReport> report;
    std::string library;
    std::string backupFile;
    std::vector<MemoryVerdict> verify;
};

std::string modelName(std::size_t row) {
    return unitName(ModelCatalogue::rows()[row].name);
}

// A unit whose model code locked the model list takes only its own model's library; the
// service code frees the list, as it does in the window.
int refuseLocked(Context& ctx, Session& s, const std::string& wanted) {
    const LibraryWindowState& list = s.libraryWindow;
    const int code = static_cast<std::int8_t>(s.receivedImage[4]);
    std::string unit =
        list.selectedRow >= 0
            ? "this unit is a " + modelName(static_cast<std::size_t>(list.selectedRow)) +
                  " (its presets are " +
                  std::string(
                      ModelCatalogue::rows()[static_cast<std::size_t>(list.selectedRow)].libraryFile) +
                  ")"
            : "this unit's model code " + std::to_string(code) + " is no model of this catalogue";
    ctx.ui.error(unit + ", and its model list is locked: " + wanted +
                 " goes into it only with the service code (--service-code CODE)");
    return kExitUsage;
}

// Opens the library to send: the one the unit's model locks, the chosen model's, or a file.
int chooseLibrary(Context& ctx, Session& s) {
    LibraryWindow& form = s.libraryForm;
    const LibraryWindowState& list = s.libraryWindow;
    const auto model = ctx.args.value("model");
    const auto file = ctx.args.value("library");
    if (const auto code = ctx.args.value("service-code")) {
        enterServiceCode(s, *code);
        if (!list.modelListEnabled) {
            ctx.ui.error("The service code is not valid.");
            return kExitUsage;
        }
    }
    const bool locked = list.lockedByUnit && !list.modelListEnabled;
    // The unit's own row, -1 for none.
    const int own = list.selectedRow;
    if (file) {
        // A file named as the unit's own library is its own model's presets.
        const bool ownFile =
            own >= 0 &&
            std::filesystem::path(*file).filename() ==
                std::filesystem::path(ModelCatalogue::rows()[static_cast<std::size_t>(own)].libraryFile);
        if (locked && !ownFile) return refuseLocked(ctx, s, "the library " + displayText(*file));
        return openLibraryFile(s, *file) == OperationResult::Done ? kExitOk : kExitBadInput;
    }
    if (!model) {
        if (locked && own >= 0) return form.buffer[0] ? kExitOk : kExitBadInput;
        if (locked) return refuseLocked(ctx, s, "a model's presets");
        throw std::invalid_argument(
            "choose the cabinet: --model NAME (velaupdate models lists them) or --library FILE.HLB");
    }
    const auto row = ModelCatalogue::find(*model);
    if (!row) throw std::invalid_argument("no model called '" + *model + "' (velaupdate models lists them)");
    if (locked && static_cast<int>(*row) != own)
        return refuseLocked(ctx, s, "the presets of " + modelName(*row));
    chooseModel(s, static_cast<int>(*row));
    return form.buffer[0] ? kExitOk : kExitBadInput;
}

// One cabinet: connect, choose the library, run, and read back when asked.
CabinetResult loadAllOnce(Context& ctx, const FirmwareChoice& firmware) {
    CabinetResult result;
    auto s = openSession(ctx);
    if (const OperationResult connected = connectUnit(ctx, *s); connected != OperationResult::Done) {
        if (connected == OperationResult::Stopped)
            ctx.ui.warning("The update was stopped while connecting; nothing was written.");
        result.code = kExitLinkFailed;
        return result;
    }
    if (const int code = chooseLibrary(ctx, *s); code != kExitOk) {
        result.code = code;
        return result;
    }
    s->libraryForm.showConnectFormModal = [] {
        std::fprintf(stderr, "(connect with --usb, --serial, --ethernet or --sim)\n");
    };
    const LibraryBuffer library = s->libraryForm.buffer;
    result.library = displayText(s->libraryForm.openedFile);
    // Say exactly what is about to be written, before anything is.
    if (const auto shadow = shadowedLibrary(s->libraryForm)) ctx.ui.warning(*shadow);
    ctx.ui.information(libraryToSend(s->libraryForm));
    if (ctx.args.flag("backup")) {
        // Nothing is written unless what the run overwrites has been saved.
        const BackupResult backup = backupBeforeLoadAll(*s);
        ctx.ui.finishProgress();
        if (backup.result != OperationResult::Done) {
            result.code = backup.result == OperationResult::Stopped ? kExitLinkFailed : exitCode(backup.result);
            return result;
        }
        if (backup.file) result.backupFile = backup.file->string();
    }
    result.report = loadAllMemories(*s, firmware);
    ctx.ui.finishProgress();
    if (!result.report->complete()) {
        result.code = kExitLinkFailed;
        return result;
    }
    if (ctx.args.flag("verify")) {
        result.verify = verifyWrittenMemories(*s, *result.report, library);
        ctx.ui.finishProgress();
        for (const auto& [memory, verdict] : result.verify)
            if (verdict != "same") result.code = kExitLinkFailed;
    }
    return result;
}

struct RepeatCounts {
    int unit = 0, done = 0, failed = 0;
};

// The cabinet's result on stdout: one JSON object (one line), or text lines.
void printCabinet(Context& ctx, const CabinetResult& r, const RepeatCounts* counts) {
    if (ctx.args.flag("json")) {
        // A single run that ended before its report leaves the error document to the caller.
        if (!r.report && !counts) return;
        JsonWriter j(ctx.out);
        j.beginObject();
        if (!r.backupFile.empty()) j.field("backup", r.backupFile);
        if (r.report) {
            j.field("library", r.library);
            j.field("programs", r.report->programs);
            j.array("written", r.report->writtenMemories);
            j.field("operatingSystem", r.report->operatingSystemSent);
            j.field("complete", r.report->complete());
            if (r.report->stopped) j.field("stopped", true);
            if (!r.report->complete()) j.field("error", ctx.ui.lastError());
        } else {
            j.field("error", ctx.ui.lastError());
            j.field("exitCode", r.code);
        }
        if (!r.verify.empty()) {
            j.key("verify");
            j.beginArray();
            for (const auto& [memory, verdict] : r.verify) {
                j.beginObject();
                j.field("memory", memory);
                j.field("result", verdict);
                j.endObject();
            }
            j.endArray();
        }
        if (counts) {
            j.field("unit", counts->unit);
            j.field("unitsDone", counts->done);
            j.field("unitsFailed", counts->failed);
        }
        j.endObject();
        j.finish();
        return;
    }
    if (!r.backupFile.empty()) std::fprintf(ctx.out, "backup of the memories overwritten: %s\n", r.backupFile.c_str());
    if (r.report && r.report->complete())
        std::fprintf(ctx.out, "%s: memories 1 to %d written and the DSP Operating System updated%s\n",
                     r.library.c_str(), r.report->programs, untouchedMemories(r.report->programs).c_str());
    for (const auto& [memory, verdict] : r.verify)
        std::fprintf(ctx.out, "verify memory %d: %s\n", memory, verdict.c_str());
    std::fflush(ctx.out);
}

// Waits for the next cabinet: at a terminal the installer says when; on a USB bridge the
// bridge going away and coming back is the sign; otherwise the next one is there at once.
bool waitForNextUnit(Context& ctx) {
    const StopRequest& stop = ctx.ui.stop;
    if (ctx.ui.options().interactive) {
        std::fprintf(stderr, "Connect the next cabinet and press Enter (q and Enter to stop): ");
        char line[16];
        // An interrupt ends the wait as q does.
        return std::fgets(line, sizeof line, stdin) && line[0] != 'q' && !stop.requested();
    }
    if (ctx.link.kind != LinkKind::USB || ctx.link.sim) return !stop.requested();
    auto present = [&] {
        auto channel = ttyLocator(ctx.link.usbDevice)(0);
        return channel && channel->open();
    };
    std::fprintf(stderr, "Waiting for the next cabinet: unplug this one's USB and plug in the next\n");
    for (bool gone = false; !stop.requested(); std::this_thread::sleep_for(std::chrono::milliseconds(500))) {
        const bool here = present();
        if (!here) gone = true;
        if (gone && here) return true;
    }
    return false;
}

int loadAllRepeat(Context& ctx, const FirmwareChoice& firmware) {
    const long limit = ctx.args.integer("count").value_or(0);
    RepeatCounts counts;
    for (;;) {
        const CabinetResult r = loadAllOnce(ctx, firmware);
        ++counts.unit;
        (r.code == kExitOk ? counts.done : counts.failed)++;
        printCabinet(ctx, r, &counts);
        std::fprintf(stderr, "Units done: %d, failed: %d\n", counts.done, counts.failed);
        if (r.code == kExitUsage || r.code == kExitBadInput) break; // the next unit would fail the same way
        if (ctx.ui.stop.requested()) break;
        if ((limit > 0 && counts.unit >= limit) || !waitForNextUnit(ctx)) break;
    }
    if (!ctx.args.flag("json"))
        std::fprintf(ctx.out, "units done: %d, failed: %d\n", counts.done, counts.failed);
    return counts.failed == 0 ? kExitOk : kExitLinkFailed;
}

} // namespace

int runLoadAll(Context& ctx) {
    if (!ctx.args.positional.empty()) throw std::invalid_argument("load-all takes no arguments (see --help)");
    if (ctx.args.has("model") && ctx.args.has("library"))
        throw std::invalid_argument("give --model or --library, not both");
    // Over the serial line the run would write no memory and still replace the operating
    // system: nothing goes out at all.
    if (ctx.link.kind == LinkKind::COM1 || ctx.link.kind == LinkKind::COM2)
        throw std::invalid_argument(
            "load-all writes the memories over USB or Ethernet only; choose --usb or --ethernet");
    const auto firmware = firmwareFromOptions(ctx, "load-all");
    if (!firmware) return kExitBadInput;
    const StopRequest::Listening listening(ctx.ui.stop);
    if (ctx.args.flag("repeat")) return loadAllRepeat(ctx, *firmware);
    const CabinetResult r = loadAllOnce(ctx, *firmware);
    printCabinet(ctx, r, nullptr);
    return r.code;
}

} // namespace vela::cli
