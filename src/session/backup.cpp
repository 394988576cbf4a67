#include "session/backup.h"

#include "core/text_display.h"
#include "link/run_stop.h"
#include "platform/folders.h"
#include "session/cabinet_load.h"
#include "session/guarded.h"
#include "session/operations.h"
#include "platform/utf8_paths.h"

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

BackupResult backupToFile(Session& s, const MemoryList& memories, const BackupTarget& target,
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
    SavedBackup saved;
    if (target.out.empty()) {
        const auto folder = platform::backupFolder();
        if (folder.empty()) {
            backup.result = OperationResult::Failed;
            fail(std::string("No folder for the backups is known: set ") + platform::stateFolderVariables() + ".");
            return backup;
        }
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string cabinet = !target.cabinet.empty() || *channel != Channel::Ethernet
                                        ? target.cabinet
                                        : s.link.ethernet.host();
        saved = saveNewBackup(
            folder / backupFileName(backup.library, channelName(*channel), std::time(nullptr), cabinet),
            backup.library);
    } else {
        saved = saveBackupAs(target.out, backup.library, target.replace);
    }
    if (!saved.file) {
        backup.result = OperationResult::Failed;
        fail("The backup was not saved: " + saved.error + ".");
        return backup;
    }
    if (!saved.warning.empty()) s.ui.warning(saved.warning);
    backup.file = saved.file;
    return backup;
}

BackupResult backupBeforeLoadAll(Session& s, const std::string& cabinet) {
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
    BackupResult backup = backupToFile(s, memories, {{}, false, cabinet}, " Nothing was written.");
    if (backup.result == OperationResult::Done)
        s.ui.information("The cabinet's programs (memories 1 to " + std::to_string(memories.size()) +
                         ") were saved in " + platform::utf8FromPath(*backup.file));
    return backup;
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

LoadAllReport loadAllAfterBackup(Session& s, const FirmwareChoice& firmware, bool backupFirst) {
    CabinetRequest request;
    request.backupFirst = backupFirst;
    return loadCabinet(s, request, firmware).report.value_or(LoadAllReport{});
}

BackupResult backupCabinet(Session& s) {
    BackupResult backup = backupToFile(s, allMemories(), BackupTarget{});
    if (backup.result == OperationResult::Done)
        s.ui.information("The cabinet's programs were saved in " + platform::utf8FromPath(*backup.file));
    return backup;
}

} // namespace vela
