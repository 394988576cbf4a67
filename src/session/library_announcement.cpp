#include "session/library_announcement.h"

#include "core/text_display.h"
#include "library/library_file.h"
#include "platform/utf8_paths.h"

#include <filesystem>

namespace vela {

namespace fs = std::filesystem;

std::string libraryToSend(const LibraryWindow& form) {
    std::error_code ec;
    const fs::path path = fs::absolute(form.locate(form.libraryFileName), ec);
    const auto entries = libraryEntries(form.buffer);
    const std::size_t count = entries ? entries->size() : 0;
    std::string text = "Library " + platform::utf8FromPath(path) + ", " + std::to_string(count) + (count == 1 ? " program:" : " programs:");
    for (std::size_t k = 0; k < count; ++k)
        text += "\n  " + std::to_string(k + 1) + " - " + unitName((*entries)[k].name);
    return text;
}

std::optional<std::string> shadowedLibrary(const LibraryWindow& form) {
    const fs::path file(form.libraryFileName);
    std::error_code ec;
    if (file.is_absolute() || !fs::exists(file, ec)) return std::nullopt;
    for (const auto& dir : form.dataDirectories) {
        const fs::path installed = dir / file;
        if (fs::exists(installed, ec) && !fs::equivalent(installed, file, ec))
            return "the file " + platform::utf8FromPath(file) + " in the current directory is used, not the library installed as " +
                   platform::utf8FromPath(installed);
    }
    return std::nullopt;
}

std::string untouchedMemories(int programs) {
    const int memories = static_cast<int>(kLibraryMaxPrograms);
    if (programs <= 0 || programs >= memories) return {};
    if (programs + 1 == memories) return "; memory 13 keeps the program it held before";
    return "; memories " + std::to_string(programs + 1) + " to " + std::to_string(memories) +
           " keep the programs they held before";
}

}  // namespace vela
