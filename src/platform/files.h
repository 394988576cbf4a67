#pragma once
// Files that several runs of the program share: the run logs, which a run prunes while others
// may still be writing theirs; and any file opened for reading by its full name.

#include <cstdio>
#include <filesystem>

namespace vela::platform {

// Opens `path` for reading bytes, whatever characters its name holds. Null when it cannot be
// opened (errno says why).
std::FILE* openForReading(const std::filesystem::path& path);

enum class NewFile { Made, Exists, Failed };

// Makes `path` as an empty file unless it exists.
NewFile createNewFile(const std::filesystem::path& path);

// Opens `path` for appending; while the stream is open, removeUnlessOpen() spares the file,
// in this process or another. Null when it cannot be opened (errno says why).
std::FILE* openForAppend(const std::filesystem::path& path);

// Removes `path` unless some stream of openForAppend() has it open; true when it was removed.
bool removeUnlessOpen(const std::filesystem::path& path);

}  // namespace vela::platform
