#include "session/restore.h"

#include "core/text_display.h"
#include "session/backup.h"
#include "session/guarded.h"
#include "session/session.h"
#include "session/unit_commands.h"
#include "platform/utf8_paths.h"

#include <algorithm>

namespace vela {
namespace {

std::string count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string programsOf(int code) {
    if (const std::string model = catalogueModel(code); !model.empty()) return model + " programs";
    return code < 2 ? "programs without a model code" : "programs of model code " + std::to_string(code);
}

std::string cabinetOf(int code) {
    if (const std::string model = catalogueModel(code); !model.empty()) return "an " + model;
    return "locked to model code " + std::to_string(code) + ", which the catalogue lacks";
}

bool holdsProgram(const std::vector<LibraryEntry>& entries, int memory) {
    return static_cast<std::size_t>(memory) <= entries.size() &&
           entries[static_cast<std::size_t>(memory - 1)].length > 0;
}

} // namespace

bool holdsAProgram(Session& s, const LibraryBuffer& backup) {
    const auto entries = libraryEntries(backup);
    if (entries &&
        std::any_of(entries->begin(), entries->end(), [](const LibraryEntry& e) { return e.length > 0; }))
        return true;
    s.ui.error("the backup holds no program; nothing was restored");
    return false;
}

std::optional<std::string> modelLockRefusal(const Session& s, const LibraryBuffer& backup,
                                            std::string_view unlockHint) {
    const LibraryWindowState& list = s.libraryWindow;
    // The same lock as load-all's: the unit's model code, until the service code frees the list.
    if (!list.lockedByUnit || list.modelListEnabled) return std::nullopt;
    const int unit = list.unitModelCode;
    const int held = libraryModelCode(backup).value_or(0);
    if (held == unit) return std::nullopt;
    return "This backup holds " + programsOf(held) + "; this cabinet is " + cabinetOf(unit) +
           ". Its model list is locked: the backup goes back only with the service code" +
           std::string(unlockHint) + ". Nothing was sent.";
}

RestoreReport restoreMemories(Session& s, const LibraryBuffer& backup, const MemoryList& memories,
                              std::string_view fileName, std::string_view unlockHint) {
    RestoreReport report;
    const auto entries = libraryEntries(backup);
    const auto channel = readChannel(s);
    if (!entries || !channel) {
        s.ui.error("The restore needs a connected unit: connect over USB or Ethernet first.");
        return report;
    }
    if (!holdsAProgram(s, backup)) {
        report.refusal = RestoreReport::Refusal::NoProgram;
        return report;
    }
    if (const auto refusal = modelLockRefusal(s, backup, unlockHint)) {
        report.refusal = RestoreReport::Refusal::Locked;
        s.ui.error(*refusal);
        return report;
    }
    MemoryList wanted;
    for (const int k : memories)
        (holdsProgram(*entries, k) ? wanted : report.leftEmpty).push_back(k);
    // What the cabinet holds decides what the question names and what is written.
    std::vector<int> differ;
    for (const MemoryComparison& c : compareMemories(s, backup, wanted))
        (c.same ? report.same : differ).push_back(c.memory);
    if (s.ui.stop.requested() || !readChannel(s)) {
        report.result = s.ui.stop.requested() ? OperationResult::Stopped : OperationResult::LinkLost;
        report.same.clear();
        report.notReached = wanted;
        return report;
    }
    report.result = OperationResult::Done;
    if (differ.empty()) return report;
    const Answer answer =
        s.ui.message(MessageKind::Warning, Buttons::YesNo,
                     "Restore " + count(wanted.size(), "memory", "memories") + " from " +
                         displayText(fileName) + "? " + count(differ.size(), "differs", "differ") +
                         " from the cabinet, " + count(report.same.size(), "is", "are") + " the same");
    if (answer != Answer::Yes) {
        report.result = OperationResult::Declined;
        report.declined = differ;
        return report;
    }
    s.link.DisableUnitCommands();
    for (std::size_t i = 0; i < differ.size(); ++i) {
        const int k = differ[i];
        const auto rest = [&] {
            report.notReached.assign(differ.begin() + static_cast<std::ptrdiff_t>(i), differ.end());
        };
        if (s.ui.stop.requested()) {
            report.result = OperationResult::Stopped;
            rest();
            break;
        }
        copyLibraryEntry(backup, (*entries)[static_cast<std::size_t>(k - 1)], s.programImage);
        s.state.setProgramNumber(k);
        const OperationResult result = guarded(s, [&] {
            return writeMemoryImage(s, *channel, k) ? OperationResult::Done : OperationResult::Failed;
        });
        if (result != OperationResult::Done) {
            report.result = result;
            rest();
            break;
        }
        report.written.push_back(k);
    }
    s.link.EnableUnitCommands();
    return report;
}

std::string memoriesText(const std::vector<int>& memories) {
    std::string text;
    for (const int k : memories)
        text += (text.empty() ? "" : ", ") + std::to_string(k);
    return text;
}

std::string restoreSummary(const RestoreReport& report) {
    std::string text = report.written.empty() ? "No memory was restored."
                                              : "Memories restored: " + memoriesText(report.written) + ".";
    if (!report.same.empty()) text += " Already the same, not written: " + memoriesText(report.same) + ".";
    if (!report.leftEmpty.empty())
        text += " Left alone (empty in the backup): " + memoriesText(report.leftEmpty) + ".";
    if (!report.declined.empty())
        text += " Not written (answered No): " + memoriesText(report.declined) + ".";
    if (!report.notReached.empty()) text += " Not written: " + memoriesText(report.notReached) + ".";
    return text;
}

RestoreReport restoreCabinet(Session& s, const std::filesystem::path& file) {
    const auto backup = readBackupFile(s, file);
    if (!backup) return {};
    const RestoreReport report = restoreMemories(s, *backup, memoriesOf(*backup), platform::utf8FromPath(file.filename()),
                                                 " (enter it in this window first)");
    if (report.result != OperationResult::LinkLost && report.refusal == RestoreReport::Refusal::None)
        s.ui.information(restoreSummary(report));
    return report;
}

} // namespace vela
