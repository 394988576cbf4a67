#pragma once
// Library files: up to thirteen DSP data blocks packed into 57121 bytes.
//   byte 0: N; then N entries back to back, each a 2-byte big-endian length L and L bytes;
//   zeros to the end. Bytes 12 to 51 of an entry are the program's name.

#include "core/session_state.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vela {

inline constexpr std::size_t kLibrarySize = 57121;
inline constexpr std::size_t kLibraryMaxPrograms = 13;

using LibraryBuffer = std::array<std::uint8_t, kLibrarySize>;

struct LibraryEntry {
    std::size_t offset = 0;     // of the entry's first length byte
    std::uint16_t length = 0;   // L: the bytes after the length field
    std::string name;           // entry bytes 12 to 51, as stored
    std::int8_t modelCode = 0;  // entry byte 4: catalogue row + 2 selects the unit's model
    std::size_t size() const { return std::size_t(length) + 2; }
};

// The entries of a library; nullopt with a reason when its count or entries do not fit in the
// file or an entry is longer than the program image it is sent from.
std::optional<std::vector<LibraryEntry>> libraryEntries(const LibraryBuffer& buffer, std::string* reason = nullptr);

struct LibraryReadResult {
    bool ok = false;
    std::string error;  // for the error box; names the file
};

// Zeroes the buffer and reads the file into it. A missing file leaves it zeroed; a short
// file or one whose entries do not fit is refused and also leaves it zeroed.
LibraryReadResult readLibraryFile(const std::filesystem::path& file, LibraryBuffer& buffer);

// Writes the whole buffer through a temporary file and a rename, so that a failure never
// leaves a half-written library behind. Returns an error text, empty on success.
std::string saveLibraryFile(const std::filesystem::path& file, const LibraryBuffer& buffer);

// Writes the buffer into a new file, never over an existing one: the name is taken atomically
// when the file is created. Returns an error text, empty on success; `taken` tells that the
// name was another file's.
std::string createLibraryFile(const std::filesystem::path& file, const LibraryBuffer& buffer, bool& taken);

// Appends a program image (its length field first) as the next entry. False when the
// library already holds thirteen programs or the entry would not fit.
bool appendLibraryEntry(LibraryBuffer& buffer, const ProgramImage& image);

// Stamps every entry's byte 4 with the model code, so that a unit loaded with the library
// reports its model when it is read back. Nothing else of the library changes.
void setLibraryModelCode(LibraryBuffer& buffer, int modelCode);

// The model code that every program carries; nullopt for a library without programs or with
// mixed codes. Entries of length 0 hold no program.
std::optional<int> libraryModelCode(const LibraryBuffer& buffer);

// Copies an entry into the program image working buffer; false, copying nothing, when it
// does not fit there.
bool copyLibraryEntry(const LibraryBuffer& buffer, const LibraryEntry& entry, ProgramImage& image);

}  // namespace vela
