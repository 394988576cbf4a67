#pragma once
// Nothing an update overwrites is lost: the cabinet's programs are read back into a library
// file (memory k as entry k), put back from it (restore.h), or compared with it. A memory that reads back
// empty is kept as an entry of length 0, which nothing writes back; every memory that holds a
// program is an ordinary library entry.

#include "library/library_file.h"
#include "library/library_window.h"
#include "session/firmware_choice.h"
#include "session/memory_read.h"
#include "session/operation_result.h"
#include "session/restore.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vela {

class Session;

// Memory numbers 1..13, in the order they are served.
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
// Where a backup goes: `out` (over an existing file only when `replace`), or when it is empty
// a new file in the backups folder named after the date and time, the unit's model, the link
// and `cabinet` (the link's address when empty).
struct BackupTarget {
    std::filesystem::path out;
    bool replace = false;
    std::string cabinet;
};
// Reads and saves, with the file's checksum beside it. Every failure has been said when it
// returns, followed by `consequence` (what the failure means for the run).
BackupResult backupToFile(Session& session, const MemoryList& memories, const BackupTarget& target,
                          std::string_view consequence = {});
// What load-all backs up before it writes: the memories the open library's run overwrites.
BackupResult backupBeforeLoadAll(Session& session, const std::string& cabinet = {});

struct MemoryComparison {
    int memory = 0;
    std::string verdict; // "same", "differs ...", "empty", "could not be read back", ...
    bool same = false;   // "same" or both empty
};
// Reads the memories back and compares each with the backup's entry for it; stops reading at
// a stop request.
std::vector<MemoryComparison> compareMemories(Session& session, const LibraryBuffer& backup,
                                              const MemoryList& memories);

// The library window's operations. Update: with `backupFirst` the memories the run overwrites
// are saved first, and nothing is written when they cannot be.
LoadAllReport loadAllAfterBackup(Session& session, const FirmwareChoice& firmware, bool backupFirst);
// "Back up": every memory into the backups folder; says where.
BackupResult backupCabinet(Session& session);

} // namespace vela
