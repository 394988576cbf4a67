// backup, restore and compare: the cabinet's programs kept in a library file, put back from
// it, and checked against it.
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/link_selection.h"
#include "cli/output_file.h"
#include "cli/session_factory.h"
#include "core/exit_codes.h"
#include "core/text_display.h"
#include "session/backup.h"
#include "session/operations.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace vela::cli {
namespace {

// --memories LIST, or `fallback`; throws on a list that names no memory 1..13.
MemoryList memoriesOption(const Context& ctx, const MemoryList& fallback) {
    const auto text = ctx.args.value("memories");
    if (!text) return fallback;
    const auto list = parseMemoryList(*text);
    if (!list)
        throw std::invalid_argument("--memories takes memory numbers 1..13, e.g. 1-13, 3 or 1,4-6: " + *text);
    return *list;
}

// The programs are written and read over USB or Ethernet.
void needUsbOrEthernet(const Context& ctx, const char* command) {
    if (ctx.link.kind == LinkKind::COM1 || ctx.link.kind == LinkKind::COM2)
        throw std::invalid_argument(std::string(command) +
                                    " reads and writes the memories over USB or Ethernet only; "
                                    "choose --usb or --ethernet");
}

// Connects and identifies the unit; an exit code when it did not answer.
std::optional<int> connectForMemories(Context& ctx, Session& s) {
    // Offline nothing answers: selectLink says which options name a link.
    if (ctx.link.kind == LinkKind::Offline) return selectLink(ctx, s) ? kExitLinkFailed : kExitUsage;
    const OperationResult connected = connectUnit(ctx, s);
    if (connected == OperationResult::Done) return std::nullopt;
    return exitCode(connected);
}

// The backup file named as the command's argument; nullopt after saying why it is refused.
std::optional<LibraryBuffer> backupArgument(Context& ctx, Session& s, const char* command) {
    if (ctx.args.positional.size() != 1)
        throw std::invalid_argument(std::string("usage: velaupdate ") + command + " FILE.HLB (see --help)");
    return readBackupFile(s, platform::pathFromUtf8(ctx.args.positional.front()));
}

std::string nameOfEntry(const LibraryBuffer& library, int memory) {
    const auto entries = libraryEntries(library);
    if (!entries || memory < 1 || static_cast<std::size_t>(memory) > entries->size()) return {};
    return unitName((*entries)[static_cast<std::size_t>(memory - 1)].name);
}

} // namespace

int runBackup(Context& ctx) {
    if (!ctx.args.positional.empty()) throw std::invalid_argument("backup takes no arguments (see --help)");
    needUsbOrEthernet(ctx, "backup");
    const MemoryList memories = memoriesOption(ctx, allMemories());
    const std::string out = ctx.args.value("out", "");
    const bool replace = ctx.args.flag("force");
    if (!out.empty() && !outputAllowed(ctx, "backup", out, FileKind::Library)) return kExitBadInput;
    // Said before the unit is read; the save itself never replaces a file either.
    std::error_code ec;
    if (!out.empty() && !replace && std::filesystem::exists(platform::pathFromUtf8(out), ec)) {
        ctx.ui.error(displayText(out) + " exists already; give another file, or --force to replace it");
        return kExitBadInput;
    }
    const StopRequest::Listening listening(ctx.ui.stop);
    auto s = openSession(ctx);
    if (const auto failed = connectForMemories(ctx, *s)) return *failed;
    const BackupResult backup = backupToFile(*s, memories, {platform::pathFromUtf8(out), replace, {}});
    ctx.ui.finishProgress();
    if (backup.result != OperationResult::Done) return exitCode(backup.result);
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("file", platform::utf8FromPath(*backup.file));
        j.key("memories");
        j.beginArray();
        for (const int k : memories) {
            j.beginObject();
            j.field("memory", k);
            const bool empty = std::find(backup.empty.begin(), backup.empty.end(), k) != backup.empty.end();
            j.field("empty", empty);
            if (!empty) j.field("name", nameOfEntry(backup.library, k));
            j.endObject();
        }
        j.endArray();
        j.endObject();
        j.finish();
        return kExitOk;
    }
    for (const int k : memories) {
        if (std::find(backup.empty.begin(), backup.empty.end(), k) != backup.empty.end())
            ctx.out.print("memory %2d: empty\n", k);
        else
            ctx.out.print("memory %2d: \"%s\"\n", k, nameOfEntry(backup.library, k).c_str());
    }
    ctx.out.print("backup of %zu memor%s saved in %s\n", memories.size(),
                  memories.size() == 1 ? "y" : "ies", platform::utf8FromPath(*backup.file).c_str());
    return kExitOk;
}

int runRestore(Context& ctx) {
    needUsbOrEthernet(ctx, "restore");
    const StopRequest::Listening listening(ctx.ui.stop);
    auto s = openSession(ctx);
    // The file is judged before anything is sent.
    const auto backup = backupArgument(ctx, *s, "restore");
    if (!backup) return kExitBadInput;
    if (!holdsAProgram(*s, *backup)) return kExitBadInput;
    const MemoryList memories = memoriesOption(ctx, memoriesOf(*backup));
    if (const auto failed = connectForMemories(ctx, *s)) return *failed;
    // As load-all: the service code frees the list of a unit that its model code locked.
    if (const auto code = ctx.args.value("service-code"); code && !enterServiceCode(*s, *code)) {
        s->ui.error("The service code is not valid.");
        return kExitUsage;
    }
    const std::string file = ctx.args.positional.front();
    const RestoreReport report = restoreMemories(
        *s, *backup, memories, platform::utf8FromPath(platform::pathFromUtf8(file).filename()), " (--service-code CODE)");
    if (report.refusal == RestoreReport::Refusal::Locked) return kExitUsage;
    if (report.refusal == RestoreReport::Refusal::NoProgram) return kExitBadInput;
    ctx.ui.finishProgress();
    std::vector<MemoryVerdict> verify;
    if (ctx.args.flag("verify") && !report.written.empty()) {
        LoadAllReport written;
        written.writtenMemories = report.written;
        verify = verifyWrittenMemories(*s, written, *backup);
        ctx.ui.finishProgress();
    }
    bool verified = true;
    for (const auto& [memory, verdict] : verify)
        verified = verified && verdict == "same";
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.array("written", report.written);
        j.array("same", report.same);
        j.array("leftEmpty", report.leftEmpty);
        j.array("declined", report.declined);
        j.array("notWritten", report.notReached);
        if (!verify.empty()) {
            j.key("verify");
            j.beginArray();
            for (const auto& [memory, verdict] : verify) {
                j.beginObject();
                j.field("memory", memory);
                j.field("result", verdict);
                j.endObject();
            }
            j.endArray();
        }
        j.endObject();
        j.finish();
    } else {
        for (const int k : report.written)
            ctx.out.print("memory %2d: restored \"%s\"\n", k, nameOfEntry(*backup, k).c_str());
        if (!report.same.empty())
            ctx.out.print("already the same, not written: %s\n", memoriesText(report.same).c_str());
        if (!report.leftEmpty.empty())
            ctx.out.print("left alone (empty in the backup): %s\n",
                          memoriesText(report.leftEmpty).c_str());
        if (!report.declined.empty())
            ctx.out.print("not written (answered No): %s\n", memoriesText(report.declined).c_str());
        if (!report.notReached.empty())
            ctx.out.print("not written: %s\n", memoriesText(report.notReached).c_str());
        for (const auto& [memory, verdict] : verify)
            ctx.out.print("verify memory %d: %s\n", memory, verdict.c_str());
    }
    if (report.result != OperationResult::Done) return exitCode(report.result);
    return verified ? kExitOk : kExitLinkFailed;
}

int runCompare(Context& ctx) {
    needUsbOrEthernet(ctx, "compare");
    const StopRequest::Listening listening(ctx.ui.stop);
    auto s = openSession(ctx);
    const auto backup = backupArgument(ctx, *s, "compare");
    if (!backup) return kExitBadInput;
    const MemoryList memories = memoriesOption(ctx, memoriesOf(*backup));
    if (const auto failed = connectForMemories(ctx, *s)) return *failed;
    const auto comparisons = compareMemories(*s, *backup, memories);
    ctx.ui.finishProgress();
    bool same = true;
    for (const auto& c : comparisons)
        same = same && c.same;
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.key("memories");
        j.beginArray();
        for (const auto& c : comparisons) {
            j.beginObject();
            j.field("memory", c.memory);
            j.field("result", c.verdict);
            j.endObject();
        }
        j.endArray();
        j.field("same", same);
        j.endObject();
        j.finish();
    } else {
        for (const auto& c : comparisons)
            ctx.out.print("memory %2d: %s\n", c.memory, c.verdict.c_str());
    }
    return same ? kExitOk : kExitLinkFailed;
}

} // namespace vela::cli
