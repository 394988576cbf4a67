#include "session/backup.h"

#include "core/run_log.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "link/run_stop.h"
#include "session/cabinet_load.h"
#include "session/guarded.h"
#include "session/operations.h"
#include "session/unit_commands.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <set>

namespace vela {
namespace {

// The shortest program a library entry can hold: its name ends at byte 51.
constexpr std::size_t kShortestProgram = 52;

// A program as the unit sent it is a library entry when its own length field agrees.
bool isProgramImage(const std::vector<std::uint8_t>& p) {
    return p.size() >= kShortestProgram && p.size() <= kProgramImageSize &&
           (std::size_t(p[0]) << 8 | p[1]) + 2 == p.size();
}

// Memory k as entry k, 1 to the last one kept; an empty or unread memory as length 0.
bool packLibrary(const std::vector<std::vector<std::uint8_t>>& programs, LibraryBuffer& library) {
    library.fill(0);
    const auto image = std::make_unique<ProgramImage>();
    for (const auto& p : programs) {
        image->fill(0);
        std::copy(p.begin(), p.end(), image->begin());
        if (!appendLibraryEntry(library, *image)) return false;
    }
    return true;
}

std::string programNameOf(std::span<const std::uint8_t> entry) {
    if (entry.size() < kShortestProgram) return {};
    return unitName(std::string_view(reinterpret_cast<const char*>(entry.data()) + 12, 40));
}

} // namespace

MemoryList allMemories() {
    MemoryList all;
    for (int k = 1; k <= kMemoryCount; ++k)
        all.push_back(k);
    return all;
}

std::optional<MemoryList> parseMemoryList(std::string_view text) {
    std::set<int> memories;
    auto number = [](std::string_view t) -> std::optional<int> {
        int n = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec != std::errc() || end != t.data() + t.size() || n < 1 || n > kMemoryCount) return std::nullopt;
        return n;
    };
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const auto dash = part.find('-');
        const auto first = number(part.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : number(part.substr(dash + 1));
        if (!first || !last || *last < *first) return std::nullopt;
        for (int k = *first; k <= *last; ++k)
            memories.insert(k);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return std::nullopt;
    }
    if (memories.empty()) return std::nullopt;
    return MemoryList(memories.begin(), memories.end());
}

BackupResult backupMemories(Session& s, const MemoryList& memories) {
    BackupResult backup;
    const int last = memories.empty() ? 0 : *std::max_element(memories.begin(), memories.end());
    std::vector<std::vector<std::uint8_t>> programs(static_cast<std::size_t>(last), {0, 0});
    s.link.DisableUnitCommands();
    for (const int k : memories) {
        if (s.ui.stop.requested()) {
            backup.result = OperationResult::Stopped;
            backup.failure = "stopped before memory " + std::to_string(k);
            break;
        }
        MemoryRead read;
        const OperationResult result = guarded(s, [&] {
            read = readMemory(s, k);
            return OperationResult::Done;
        });
        if (result != OperationResult::Done) {
            backup.result = result;
            backup.failure = "memory " + std::to_string(k) + " was not read";
            break;
        }
        if (read.content == MemoryContent::Unread) {
            backup.failure = read.failure;
            break;
        }
        if (read.content == MemoryContent::Empty) {
            backup.empty.push_back(k);
            continue;
        }
        if (!isProgramImage(read.program)) {
            backup.failure = "memory " + std::to_string(k) + " sent " + std::to_string(read.program.size()) +
                             " bytes that are not a program image (its length field disagrees)";
            break;
        }
        programs[static_cast<std::size_t>(k - 1)] = std::move(read.program);
        backup.programs.push_back(k);
    }
    if (backup.failure.empty()) {
        if (packLibrary(programs, backup.library))
            backup.result = OperationResult::Done;
        else
            backup.failure = "the programs read back do not fit in a library file";
    }
    s.link.EnableUnitCommands();
    return backup;
}

std::filesystem::path backupFolder() {
    const auto state = RunLog::defaultDirectory();
    return state.empty() ? state : state / "backups";
}

std::string backupFileName(const LibraryBuffer& backup, std::string_view link, std::time_t when) {
    std::string model = "no-model";
    if (const auto code = libraryModelCode(backup)) {
        if (const auto row = ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(*code)))
            model = unitName(ModelCatalogue::rows()[*row].name);
        else if (*code >= 2)
            model = "code" + std::to_string(*code);
    }
    std::replace(model.begin(), model.end(), ' ', '-');
    char stamp[32] = {};
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H%M%S", &local);
    return std::string(stamp) + "_" + model + "_" + std::string(link) + ".HLB";
}

BackupResult backupToFile(Session& s, const MemoryList& memories, const std::filesystem::path& out,
                          std::string_view consequence) {
    const auto fail = [&](const std::string& text) { s.ui.error(text + std::string(consequence)); };
    const auto channel = readChannel(s);
    if (!channel) {
        fail("The backup needs a connected unit: connect over USB or Ethernet first.");
        return {};
    }
    BackupResult backup = backupMemories(s, memories);
    if (backup.result != OperationResult::Done) {
        // A lost link has been said already.
        if (backup.result != OperationResult::LinkLost)
            fail("The backup was not made: " + backup.failure + ".");
        return backup;
    }
    std::filesystem::path file = out;
    if (file.empty()) {
        const auto folder = backupFolder();
        if (folder.empty()) {
            backup.result = OperationResult::Failed;
            fail("No folder for the backups is known: set XDG_STATE_HOME or HOME.");
            return backup;
        }
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        file = folder / backupFileName(backup.library, channelName(*channel), std::time(nullptr));
    }
    if (const std::string error = saveLibraryFile(file, backup.library); !error.empty()) {
        backup.result = OperationResult::Failed;
        fail("The backup was not saved: " + error + ".");
        return backup;
    }
    backup.file = file;
    return backup;
}

BackupResult backupBeforeLoadAll(Session& s) {
    const auto entries = libraryEntries(s.libraryForm.buffer);
    MemoryList memories;
    for (std::size_t k = 1; entries && k <= entries->size(); ++k)
        memories.push_back(static_cast<int>(k));
    if (memories.empty()) {
        // The run itself says that no library is open.
        BackupResult nothing;
        nothing.result = OperationResult::Done;
        return nothing;
    }
    BackupResult backup = backupToFile(s, memories, {}, " Nothing was written.");
    if (backup.result == OperationResult::Done)
        s.ui.information("The cabinet's programs (memories 1 to " + std::to_string(memories.size()) +
                         ") were saved in " + backup.file->string());
    return backup;
}

std::optional<LibraryBuffer> readBackupFile(Session& s, const std::filesystem::path& file) {
    LibraryBuffer buffer{};
    const LibraryReadResult read = readLibraryFile(file, buffer);
    if (!read.ok) {
        s.ui.error(read.error);
        return std::nullopt;
    }
    const auto entries = libraryEntries(buffer);
    for (std::size_t k = 0; k < entries->size(); ++k) {
        const LibraryEntry& e = (*entries)[k];
        if (e.length == 0) continue;
        if (e.size() < kShortestProgram) {
            s.ui.error("The backup " + file.string() + " is not valid: program " + std::to_string(k + 1) +
                       " is " + std::to_string(e.size()) + " bytes long, too short to be a program");
            return std::nullopt;
        }
    }
    return buffer;
}

MemoryList memoriesOf(const LibraryBuffer& backup) {
    MemoryList memories;
    for (int k = 1; k <= backup[0] && k <= kMemoryCount; ++k)
        memories.push_back(k);
    return memories;
}

RestoreReport restoreMemories(Session& s, const LibraryBuffer& backup, const MemoryList& memories) {
    RestoreReport report;
    const auto entries = libraryEntries(backup);
    const auto channel = readChannel(s);
    if (!entries || !channel) {
        s.ui.error("The restore needs a connected unit: connect over USB or Ethernet first.");
        return report;
    }
    s.link.DisableUnitCommands();
    report.result = OperationResult::Done;
    for (std::size_t i = 0; i < memories.size(); ++i) {
        const int k = memories[i];
        const auto rest = [&] {
            report.notReached.assign(memories.begin() + static_cast<std::ptrdiff_t>(i), memories.end());
        };
        if (static_cast<std::size_t>(k) > entries->size() ||
            (*entries)[static_cast<std::size_t>(k - 1)].length == 0) {
            report.leftEmpty.push_back(k);
            continue;
        }
        if (s.ui.stop.requested()) {
            report.result = OperationResult::Stopped;
            rest();
            break;
        }
        const Answer answer = s.ui.message(MessageKind::Warning, Buttons::YesNoCancel,
                                           "The memory " + std::to_string(k) +
                                               " have a preset stored. Do you want to overwrite it?");
        if (answer == Answer::No) {
            report.declined.push_back(k);
            continue;
        }
        if (answer != Answer::Yes) {
            report.result = OperationResult::Declined;
            rest();
            break;
        }
        copyLibraryEntry(backup, (*entries)[static_cast<std::size_t>(k - 1)], s.programImage);
        s.state.setProgramNumber(k);
        bool written = false;
        const OperationResult result = guarded(s, [&] {
            written = writeMemoryImage(s, *channel, k);
            return written ? OperationResult::Done : OperationResult::Failed;
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

std::vector<MemoryComparison> compareMemories(Session& s, const LibraryBuffer& backup,
                                              const MemoryList& memories) {
    std::vector<MemoryComparison> comparisons;
    const auto entries = libraryEntries(backup);
    if (!entries) return comparisons;
    s.link.DisableUnitCommands();
    for (const int k : memories) {
        MemoryComparison c{k, "not read back: stopped", false};
        if (s.ui.stop.requested()) {
            comparisons.push_back(c);
            continue;
        }
        std::span<const std::uint8_t> kept;
        if (static_cast<std::size_t>(k) <= entries->size()) {
            const LibraryEntry& e = (*entries)[static_cast<std::size_t>(k - 1)];
            if (e.length > 0) kept = std::span(backup).subspan(e.offset, e.size());
        }
        MemoryRead read;
        const OperationResult result = guarded(s, [&] {
            read = readMemory(s, k);
            return OperationResult::Done;
        });
        if (result != OperationResult::Done) {
            if (result != OperationResult::Stopped) c.verdict = "could not be read back";
        } else if (read.content == MemoryContent::Unread) {
            c.verdict = "could not be read back";
        } else if (read.content == MemoryContent::Empty) {
            c.same = kept.empty();
            c.verdict =
                c.same ? "empty"
                       : "differs: the memory is empty, the backup holds \"" + programNameOf(kept) + "\"";
        } else if (kept.empty()) {
            c.verdict = "differs: the backup holds no program, the memory holds \"" +
                        programNameOf(read.program) + "\"";
        } else if (const auto at = firstDifference(kept, read.program)) {
            c.verdict = "differs from byte " + std::to_string(*at) + " (backup \"" + programNameOf(kept) +
                        "\", memory \"" + programNameOf(read.program) + "\")";
        } else {
            c.same = true;
            c.verdict = "same";
        }
        comparisons.push_back(c);
    }
    s.link.EnableUnitCommands();
    return comparisons;
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
    if (!report.leftEmpty.empty())
        text += " Left alone (empty in the backup): " + memoriesText(report.leftEmpty) + ".";
    if (!report.declined.empty())
        text += " Not written (answered No): " + memoriesText(report.declined) + ".";
    if (!report.notReached.empty()) text += " Not written: " + memoriesText(report.notReached) + ".";
    return text;
}

LoadAllReport loadAllAfterBackup(Session& s, const FirmwareChoice& firmware, bool backupFirst) {
    CabinetRequest request;
    request.backupFirst = backupFirst;
    return loadCabinet(s, request, firmware).report.value_or(LoadAllReport{});
}

BackupResult backupCabinet(Session& s) {
    BackupResult backup = backupToFile(s, allMemories(), {});
    if (backup.result == OperationResult::Done)
        s.ui.information("The cabinet's programs were saved in " + backup.file->string());
    return backup;
}

RestoreReport restoreCabinet(Session& s, const std::filesystem::path& file) {
    const auto backup = readBackupFile(s, file);
    if (!backup) return {};
    const RestoreReport report = restoreMemories(s, *backup, memoriesOf(*backup));
    if (report.result != OperationResult::LinkLost) s.ui.information(restoreSummary(report));
    return report;
}

} // namespace vela
