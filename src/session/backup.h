#pragma once
// Nothing an update overwrites is lost: the cabinet's programs are read back into a library
// file (memory k as entry k), put back from it, or compared with it. A memory that reads back
// empty is kept as an entry of length 0, which nothing writes back; every memory that holds a
// program is an ordinary library entry.

#include "library/library_file.h"
#include "library/library_window.h"
#include "session/firmware_choice.h"
#include "session/memory_read.h"
#include "session/operation_result.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vela {

class Session;

// Memory numbers 1..13, in the order they are served.
using MemoryList = std::vector<int>;
MemoryList allMemories();
// "1-13", "3", "1,4-6": nullopt for anything else.
std::optional<MemoryList> parseMemoryList(std::string_view text);

struct BackupResult {
    OperationResult result = OperationResult::Failed;
    LibraryBuffer library{};
    std::vector<int> programs;                 // memories that held a program
    std::vector<int> empty;                    // memories that read back empty
    std::string failure;                       // why it ended before the last memory
    std::optional<std::filesystem::path> file; // where it was saved
};

// Reads the memories back. Stops at the first memory that cannot be read (nothing is kept
// then) and between two memories at a stop request.
BackupResult backupMemories(Session& session, const MemoryList& memories);
// Reads and saves: to `out`, or when it is empty into the backups folder (backupFolder())
// under a name made of the date and time, the unit's model and the link. Every failure has
// been said when it returns, followed by `consequence` (what the failure means for the run).
BackupResult backupToFile(Session& session, const MemoryList& memories, const std::filesystem::path& out,
                          std::string_view consequence = {});
// What load-all backs up before it writes: the memories the open library's run overwrites.
BackupResult backupBeforeLoadAll(Session& session);

// The backups folder beside the run logs; empty when no state folder is known.
std::filesystem::path backupFolder();
// "2026-12-07_171500_M02_USB.HLB": the date and time, the model the programs carry, the link.
std::string backupFileName(const LibraryBuffer& backup, std::string_view link, std::time_t when);

// A backup file read for restore or compare; nullopt after saying why it is refused. It must
// be a library file whose every program passes the library's checks.
std::optional<LibraryBuffer> readBackupFile(Session& session, const std::filesystem::path& file);

struct RestoreReport {
    OperationResult result = OperationResult::Failed;
    std::vector<int> written;
    std::vector<int> leftEmpty;  // recorded empty: left as they are
    std::vector<int> declined;   // the user answered No
    std::vector<int> notReached; // after a failure, Cancel or a stop
};
// Writes each backed-up program into the memory it came from, after the write question for
// each; no change command, no operating-system update.
RestoreReport restoreMemories(Session& session, const LibraryBuffer& backup, const MemoryList& memories);

struct MemoryComparison {
    int memory = 0;
    std::string verdict; // "same", "differs ...", "empty", "could not be read back", ...
    bool same = false;   // "same" or both empty
};
// Reads the memories back and compares each with the backup's entry for it; stops reading at
// a stop request.
std::vector<MemoryComparison> compareMemories(Session& session, const LibraryBuffer& backup,
                                              const MemoryList& memories);

// The memories a backup file speaks for: 1 to its count.
MemoryList memoriesOf(const LibraryBuffer& backup);

// "1, 4, 5".
std::string memoriesText(const std::vector<int>& memories);
// "Memories restored: 1, 2. Left alone (empty in the backup): 3. ..." for the end of a restore.
std::string restoreSummary(const RestoreReport& report);

// The library window's operations. Update: with `backupFirst` the memories the run overwrites
// are saved first, and nothing is written when they cannot be.
LoadAllReport loadAllAfterBackup(Session& session, const FirmwareChoice& firmware, bool backupFirst);
// "Back up": every memory into the backups folder; says where.
BackupResult backupCabinet(Session& session);
// "Restore...": the file's programs into their memories, with the write question for each;
// says what was done.
RestoreReport restoreCabinet(Session& session, const std::filesystem::path& file);

} // namespace vela
