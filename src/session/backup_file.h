#pragma once
// A backup on disk: a library file (memory k as entry k, an empty memory as an entry of length
// 0) with its SHA-256 beside it in FILE.HLB.sha256, as sha256sum writes it. A backup is never
// saved over another file, and one is read back only when every program in it is one the unit
// can take and its checksum, when there is one, agrees.

#include "library/library_file.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

class Session;

// The catalogue's name of a model code ("M01"); empty when the catalogue has none.
std::string catalogueModel(int code);

// "2026-12-07_171500_M02_ETHERNET_10.0.0.7.HLB": the date and time, the model the programs
// carry, the link and, when known, the cabinet (its host name or address).
std::string backupFileName(const LibraryBuffer& backup, std::string_view link, std::time_t when,
                           std::string_view cabinet = {});

// "FILE.HLB.sha256".
std::filesystem::path checksumFileOf(const std::filesystem::path& file);
// "<64 hex digits>  <file name>\n", as sha256sum writes it.
std::string checksumLine(const LibraryBuffer& backup, const std::filesystem::path& file);

struct SavedBackup {
    std::optional<std::filesystem::path> file; // where it went; nullopt when it was not saved
    std::string error;                         // why not
    std::string warning;                       // saved, but its checksum file was not
};
// Saves a new file at `file`, or at "NAME-2.HLB", "NAME-3.HLB"... when that name is taken;
// the name is taken atomically, so two backups made at once never meet in one file.
SavedBackup saveNewBackup(const std::filesystem::path& file, const LibraryBuffer& backup);
// Saves at exactly `file`: over an existing file only when `replace`.
SavedBackup saveBackupAs(const std::filesystem::path& file, const LibraryBuffer& backup, bool replace);

// Why a backup's entry cannot go back into a memory; empty when it can.
std::string programProblem(std::span<const std::uint8_t> entry);

// A backup file read for restore or compare; nullopt after saying why it is refused: it is no
// library, a program in it is none the unit takes, its programs carry different model codes,
// or its checksum file disagrees. A missing checksum file is a warning.
std::optional<LibraryBuffer> readBackupFile(Session& session, const std::filesystem::path& file);

// The memories a backup file speaks for: 1 to its count.
using MemoryList = std::vector<int>;
MemoryList memoriesOf(const LibraryBuffer& backup);

} // namespace vela
