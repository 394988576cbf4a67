#pragma once
// What load-all tells the installer about the library before and after writing it: which file
// exactly, what it holds, and which memories it leaves alone.

#include "library/library_window.h"

#include <optional>
#include <string>

namespace vela {

// "Library /full/path/M02.HLB, 4 programs:" and one line per program name.
std::string libraryToSend(const LibraryWindow& form);
// Set when a file of that name in the current directory hides a library installed with the
// program: the user may have meant the factory one.
std::optional<std::string> shadowedLibrary(const LibraryWindow& form);
// "; memories 5 to 13 keep the programs they held before" for a library of fewer than 13.
std::string untouchedMemories(int programs);

}  // namespace vela
