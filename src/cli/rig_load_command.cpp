// rig load: every cabinet of the rig loaded at once, each with its own model's library.
#include "cli/commands.h"
#include "cli/firmware_option.h"
#include "cli/json.h"
#include "cli/verify_json.h"
#include "cli/rig_cabinets.h"
#include "cli/rig_progress.h"
#include "core/exit_codes.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "platform/console.h"
#include "session/link_options.h"
#include "session/rig_load.h"
#include "session/rig_outcome.h"
#include "platform/utf8_paths.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <utility>

namespace vela::cli {
namespace {

// The cabinets named by --ethernet (repeatable) and by the lines of --addresses FILE
// ("HOST[:PORT]", blank lines and "#" comments left out); without either, every cabinet the
// scan finds. nullopt after saying why when no scan could be made.
std::optional<std::vector<CabinetToLoad>> cabinetsOf(Context& ctx) {
    std::vector<std::string> addresses = ctx.args.values("ethernet");
    if (const auto file = ctx.args.value("addresses")) {
        std::ifstream in(platform::pathFromUtf8(*file));
        if (!in) throw std::invalid_argument("--addresses: cannot read " + *file);
        for (std::string line; std::getline(in, line);) {
            line = line.substr(0, line.find('#'));
            const auto first = line.find_first_not_of(" \t\r");
            if (first == std::string::npos) continue;
            addresses.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
        }
        if (addresses.empty()) throw std::invalid_argument("--addresses: no cabinet in " + *file);
    }
    std::vector<CabinetToLoad> cabinets;
    if (addresses.empty()) {
        // Simulated units are reached by name only: a scan would look for real modules.
        if (ctx.link.sim)
            throw std::invalid_argument("rig load --sim needs the cabinets: --ethernet HOST[:PORT] (repeatable) or "
                                        "--addresses FILE");
        RigScanOptions scan = rigScanOptions(ctx);
        // --model auto loads every model the scan finds; --model NAME also the blank cabinets,
        // which the module's model alone would leave out.
        const std::optional<std::string> model = std::exchange(scan.model, std::nullopt);
        auto found = findCabinets(ctx, std::move(scan));
        if (!found) return std::nullopt;
        if (model && *model != "auto") *found = cabinetsOfModel(*found, *model);
        for (const auto& m : *found) cabinets.push_back(cabinetToLoad(m));
    }
    for (const auto& a : addresses) {
        CabinetToLoad c;
        c.name = a;
        c.link = ethernetLink(a);
        cabinets.push_back(std::move(c));
    }
    for (auto& c : cabinets) c.link.sim = ctx.link.sim;
    return cabinets;
}

// --model NAME for every cabinet, or each cabinet's own (--model auto, the default).
LibraryRequest libraryOf(const Context& ctx) {
    LibraryRequest wanted;
    const std::string model = ctx.args.value("model", "auto");
    if (model == "auto") {
        wanted.kind = LibraryRequest::Kind::UnitsOwn;
        return wanted;
    }
    const auto row = ModelCatalogue::find(model);
    if (!row) throw std::invalid_argument("no model called '" + model + "' (velaupdate models lists them)");
    wanted.kind = LibraryRequest::Kind::Model;
    wanted.row = static_cast<int>(*row);
    return wanted;
}

std::string problemOf(const RigCabinetResult& c) {
    if (c.result.refusal == LibraryRefusal::NoModel)
        return c.result.reason + "; --model NAME names one for every cabinet";
    return c.problem;
}

std::string verifyText(const CabinetResult& r) {
    if (r.verify.empty()) return "-";
    return r.verifyFailed() ? "differs" : "same";
}

double seconds(const CabinetResult& r) { return std::chrono::duration<double>(r.time).count(); }

std::string modelOf(const CabinetResult& r) {
    return r.modelRow >= 0 ? unitName(ModelCatalogue::rows()[static_cast<std::size_t>(r.modelRow)].name) : "";
}

void printJson(Context& ctx, const std::vector<RigCabinetResult>& results, int completed) {
    for (const auto& c : results) {
        const CabinetResult& r = c.result;
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("cabinet", c.name);
        j.field("outcome", outcomeName(r));
        j.field("phase", phaseName(r.endedIn));
        if (r.modelRow >= 0) j.field("model", modelOf(r));
        if (!r.library.empty()) j.field("library", r.library);
        if (r.backupFile) j.field("backup", platform::utf8FromPath(*r.backupFile));
        j.array("written", r.report ? r.report->writtenMemories : std::vector<int>{});
        j.field("operatingSystem", r.report && r.report->operatingSystemSent);
        writeVerify(j, r.verify);
        if (!r.complete()) j.field("error", problemOf(c));
        j.field("seconds", seconds(r));
        j.endObject();
        j.finish();
    }
    JsonWriter j(ctx.out);
    j.beginObject();
    j.field("cabinets", static_cast<int>(results.size()));
    j.field("completed", completed);
    j.field("notCompleted", static_cast<int>(results.size()) - completed);
    j.endObject();
    j.finish();
}

void printTable(Context& ctx, const std::vector<RigCabinetResult>& results, int completed) {
    std::size_t width = 7;
    for (const auto& c : results) width = std::max(width, c.name.size());
    const int w = static_cast<int>(width);
    ctx.out.print("%-*s  %-9s  %-12s  %-8s  %-3s  %-7s  %s\n", w, "cabinet", "result", "library", "written",
                  "OS", "verify", "time");
    for (const auto& c : results) {
        const CabinetResult& r = c.result;
        const std::string written = r.report && !r.report->writtenMemories.empty()
                                        ? memoryRanges(r.report->writtenMemories)
                                        : "none";
        ctx.out.print("%-*s  %-9s  %-12s  %-8s  %-3s  %-7s  %.1f s\n", w, c.name.c_str(), outcomeName(r),
                      r.library.empty() ? "-" : r.library.c_str(), written.c_str(),
                      r.report && r.report->operatingSystemSent ? "yes" : "no", verifyText(r).c_str(), seconds(r));
    }
    for (const auto& c : results) {
        if (c.result.complete())
            ctx.out.print("%s: Turn Off and ON the cabinet.\n", c.name.c_str());
        else
            ctx.out.print("%s: %s\n", c.name.c_str(), problemOf(c).c_str());
    }
    ctx.out.print("cabinets completed: %d of %zu\n", completed, results.size());
}

} // namespace

int runRigLoad(Context& ctx) {
    if (ctx.args.positional.size() != 1) throw std::invalid_argument("rig load takes no arguments (see --help)");
    const LibraryRequest library = libraryOf(ctx);
    // The operating system is the same for every cabinet: refused once, before any is reached.
    const auto firmware = firmwareFromOptions(ctx, "rig load");
    if (!firmware) return kExitBadInput;
    RigRequest rig;
    auto cabinets = cabinetsOf(ctx);
    if (!cabinets) return kExitLinkFailed;
    if (cabinets->empty()) {
        ctx.ui.error("No Devices Found");
        return kExitLinkFailed;
    }
    rig.cabinets = std::move(*cabinets);
    for (auto& c : rig.cabinets) c.library = library;
    rig.each.verify = ctx.args.flag("verify");
    rig.each.backupFirst = ctx.args.flag("backup");
    rig.each.serviceCode = ctx.args.value("service-code");
    if (const auto jobs = ctx.args.integer("jobs")) {
        if (*jobs < 1) throw std::invalid_argument("--jobs must be 1 or more");
        rig.jobs = static_cast<int>(*jobs);
    }
    rig.log = ctx.log;
    rig.openSession = [](UserInterface& ui, const CabinetToLoad& c) { return vela::openSession(ui, c.link); };

    std::vector<std::string> names;
    for (const auto& c : rig.cabinets) names.push_back(c.name);
    TerminalOptions shown = ctx.ui.options();
    // A console that cannot move its cursor gets the lines a pipe gets.
    shown.interactive = shown.interactive && platform::enableCursorControl(stderr);
    RigProgress progress(names, shown);
    const StopRequest::Listening listening(ctx.ui.stop);
    const auto results = loadRig(rig, *firmware, progress);

    int completed = 0;
    for (const auto& c : results) completed += c.result.complete() ? 1 : 0;
    if (ctx.args.flag("json"))
        printJson(ctx, results, completed);
    else
        printTable(ctx, results, completed);
    return completed == static_cast<int>(results.size()) ? kExitOk : kExitLinkFailed;
}

} // namespace vela::cli
