#pragma once
// Putting a backup's programs back into the memories they came from. The model lock holds as
// it does for load-all; the memories that already hold the backup's program are left alone,
// and the user is asked once, told how many memories will change.

#include "session/backup_file.h"
#include "session/operation_result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

class Session;

struct RestoreReport {
    OperationResult result = OperationResult::Failed;
    // Why nothing was written, when the restore refused before the question.
    enum class Refusal { None, NoProgram, Locked };
    Refusal refusal = Refusal::None;
    std::vector<int> written;
    std::vector<int> same;       // already held the backup's program: not written
    std::vector<int> leftEmpty;  // recorded empty: left as they are
    std::vector<int> declined;   // the user answered No
    std::vector<int> notReached; // after a failure or a stop
};

// False after saying "the backup holds no program; nothing was restored".
bool holdsAProgram(Session& session, const LibraryBuffer& backup);

// The model lock's word on a backup, judged as load-all judges a library: a unit whose model
// code locked its model list takes back only programs of its own model code until the service
// code frees the list. nullopt when the backup may go in; otherwise the refusal ("This backup
// holds M01 programs; this cabinet is an M09 ..."), ending in `unlockHint`.
std::optional<std::string> modelLockRefusal(const Session& session, const LibraryBuffer& backup,
                                            std::string_view unlockHint);

// Writes each of `memories` that the backup holds a program for and the cabinet does not,
// after one question naming `fileName` and how many memories differ; no change command, no
// operating-system update. Refusals and failures are said; the summary is the caller's.
RestoreReport restoreMemories(Session& session, const LibraryBuffer& backup, const MemoryList& memories,
                              std::string_view fileName, std::string_view unlockHint);

// "1, 4, 5".
std::string memoriesText(const std::vector<int>& memories);
// "Memories restored: 1, 2. Already the same, not written: 5. ..." for the end of a restore.
std::string restoreSummary(const RestoreReport& report);

// The library window's "Restore...": the file's programs into their memories; says what was
// done in one summary.
RestoreReport restoreCabinet(Session& session, const std::filesystem::path& file);

} // namespace vela
