// load-all: the run that puts a model's presets and the DSP operating system into the unit,
// once or cabinet after cabinet, with an optional read-back check of every memory written.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/firmware_option.h"
#include "cli/json.h"
#include "cli/verify_json.h"
#include "cli/link_selection.h"
#include "cli/session_factory.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "link/port_discovery.h"
#include "session/cabinet_load.h"
#include "session/library_announcement.h"
#include "session/operations.h"
#include "platform/utf8_paths.h"

#include <optional>
#include <stdexcept>
#include <thread>

namespace vela::cli {
namespace {

// What one cabinet's run gave and the exit code it means.
struct CabinetRun {
    int code = kExitOk;
    CabinetResult result;
};

// The library the options name; the model name is checked before anything is connected.
LibraryRequest libraryRequest(Context& ctx) {
    LibraryRequest wanted;
    if (const auto file = ctx.args.value("library")) {
        wanted.kind = LibraryRequest::Kind::File;
        wanted.file = *file;
    } else if (const auto model = ctx.args.value("model")) {
        const auto row = ModelCatalogue::find(*model);
        if (!row) throw std::invalid_argument("no model called '" + *model + "' (velaupdate models lists them)");
        wanted.kind = LibraryRequest::Kind::Model;
        wanted.row = static_cast<int>(*row);
    } else {
        wanted.kind = LibraryRequest::Kind::UnitsOwn;
    }
    return wanted;
}

int exitCodeOf(const CabinetResult& r) {
    switch (r.endedIn) {
    case CabinetPhase::Finished:
        return kExitOk;
    case CabinetPhase::Library:
        if (r.refusal == LibraryRefusal::NoModel)
            throw std::invalid_argument(
                "choose the cabinet: --model NAME (velaupdate models lists them) or --library FILE.HLB");
        return r.refusal == LibraryRefusal::Unreadable ? kExitBadInput : kExitUsage;
    case CabinetPhase::Backup:
        return r.outcome == OperationResult::Stopped ? kExitLinkFailed : exitCode(r.outcome);
    default:
        return kExitLinkFailed;
    }
}

// One cabinet: connect, choose the library, run, and read back when asked.
CabinetRun loadAllOnce(Context& ctx, const FirmwareChoice& firmware) {
    auto s = openSession(ctx);
    s->libraryForm.showConnectFormModal = [] {
        std::fprintf(stderr, "(connect with --usb, --serial, --ethernet or --sim)\n");
    };
    CabinetRequest request;
    request.connect = ctx.link;
    request.library = libraryRequest(ctx);
    request.serviceCode = ctx.args.value("service-code");
    request.backupFirst = ctx.args.flag("backup");
    request.verify = ctx.args.flag("verify");
    // Each phase's progress bar ends before the next phase speaks.
    CabinetRun run{kExitOk, loadCabinet(*s, request, firmware, [&](CabinetPhase) { ctx.ui.finishProgress(); })};
    // The connection said why it failed, as it does for every command; the run adds what it
    // means for the cabinet. A stop while connecting has said so itself.
    const CabinetResult& r = run.result;
    if (r.endedIn == CabinetPhase::Connecting && r.outcome != OperationResult::Done &&
        r.outcome != OperationResult::Stopped)
        ctx.ui.error("The HALDA40 could not be connected; nothing was written.");
    run.code = exitCodeOf(run.result);
    return run;
}

struct RepeatCounts {
    int unit = 0, done = 0, failed = 0;
};

// The cabinet's result on stdout: one JSON object (one line), or text lines.
void printCabinet(Context& ctx, const CabinetRun& run, const RepeatCounts* counts) {
    const CabinetResult& r = run.result;
    if (ctx.args.flag("json")) {
        // A single run that ended before its report leaves the error document to the caller.
        if (!r.report && !counts) return;
        JsonWriter j(ctx.out);
        j.beginObject();
        if (r.backupFile) j.field("backup", platform::utf8FromPath(*r.backupFile));
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
            j.field("exitCode", run.code);
        }
        writeVerify(j, r.verify);
        if (counts) {
            j.field("unit", counts->unit);
            j.field("unitsDone", counts->done);
            j.field("unitsFailed", counts->failed);
        }
        j.endObject();
        j.finish();
        return;
    }
    if (r.backupFile)
        ctx.out.print("backup of the memories overwritten: %s\n", platform::utf8FromPath(*r.backupFile).c_str());
    if (r.report && r.report->complete())
        ctx.out.print("%s: memories 1 to %d written and the DSP Operating System updated%s\n",
                      r.library.c_str(), r.report->programs, untouchedMemories(r.report->programs).c_str());
    for (const auto& [memory, verdict] : r.verify)
        ctx.out.print("verify memory %d: %s\n", memory, verdict.c_str());
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
        auto channel = usbLocator(ctx.link.usbDevice)(0);
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
        const CabinetRun r = loadAllOnce(ctx, firmware);
        ++counts.unit;
        (r.code == kExitOk ? counts.done : counts.failed)++;
        printCabinet(ctx, r, &counts);
        std::fprintf(stderr, "Units done: %d, failed: %d\n", counts.done, counts.failed);
        if (r.code == kExitUsage || r.code == kExitBadInput) break; // the next unit would fail the same way
        if (ctx.ui.stop.requested()) break;
        if ((limit > 0 && counts.unit >= limit) || !waitForNextUnit(ctx)) break;
    }
    if (!ctx.args.flag("json"))
        ctx.out.print("units done: %d, failed: %d\n", counts.done, counts.failed);
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
    const CabinetRun r = loadAllOnce(ctx, *firmware);
    printCabinet(ctx, r, nullptr);
    return r.code;
}

} // namespace vela::cli
