#include "session/backup_file.h"

#include "core/input_file.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "preset/program_image.h"
#include "session/session.h"
#include "update/sha256.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <utility>

namespace vela {
namespace {

namespace fs = std::filesystem;

// Only letters, digits, dots and dashes reach a file name: a host name may hold anything.
std::string fileNamePart(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '-';
    return out;
}

std::string writeChecksum(const fs::path& file, const LibraryBuffer& backup) {
    const fs::path sum = checksumFileOf(file);
    std::ofstream out(sum, std::ios::binary | std::ios::trunc);
    out << checksumLine(backup, file);
    out.flush();
    if (out) return {};
    return "the backup was saved, but its checksum file " + platform::utf8FromPath(sum) + " could not be written";
}

SavedBackup saved(const fs::path& file, const LibraryBuffer& backup) {
    return {file, {}, writeChecksum(file, backup)};
}

std::string modelCodeText(int code) {
    const std::string model = catalogueModel(code);
    return "model code " + std::to_string(code) + (model.empty() ? "" : " (" + model + ")");
}

// The digest at the start of a checksum file's first line; empty when there is none.
std::string digestIn(const std::vector<std::uint8_t>& text) {
    std::string digest;
    for (const std::uint8_t b : text) {
        if (!std::isxdigit(b)) break;
        digest += static_cast<char>(std::tolower(b));
    }
    const bool separated =
        text.size() > digest.size() && (text[digest.size()] == ' ' || text[digest.size()] == '\n');
    return digest.size() == 64 && separated ? digest : std::string();
}

} // namespace

std::string catalogueModel(int code) {
    const auto row = ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(code));
    return row ? unitName(ModelCatalogue::rows()[*row].name) : std::string();
}

std::string backupFileName(const LibraryBuffer& backup, std::string_view link, std::time_t when,
                           std::string_view cabinet) {
    std::string model = "no-model";
    if (const auto code = libraryModelCode(backup)) {
        if (const std::string name = catalogueModel(*code); !name.empty())
            model = name;
        else if (*code >= 2)
            model = "code" + std::to_string(*code);
    }
    char stamp[32] = {};
    const std::tm local = platform::localTime(when);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H%M%S", &local);
    std::string name = std::string(stamp) + "_" + fileNamePart(model) + "_" + std::string(link);
    if (!cabinet.empty()) name += "_" + fileNamePart(cabinet);
    return name + ".HLB";
}

fs::path checksumFileOf(const fs::path& file) {
    fs::path sum = file;
    sum += ".sha256";
    return sum;
}

std::string checksumLine(const LibraryBuffer& backup, const fs::path& file) {
    Sha256 sha;
    sha.update(std::span<const std::uint8_t>(backup));
    // The bare name, so that sha256sum -c checks it from the folder it lies in.
    return sha.hexDigest() + "  " + platform::utf8FromPath(file.filename()) + "\n";
}

SavedBackup saveNewBackup(const fs::path& file, const LibraryBuffer& backup) {
    for (int n = 1; n < 1000; ++n) {
        fs::path candidate = file;
        if (n > 1) {
            fs::path name = file.stem();
            name += "-" + std::to_string(n);
            name += file.extension();
            candidate.replace_filename(name);
        }
        bool taken = false;
        const std::string error = createLibraryFile(candidate, backup, taken);
        if (error.empty()) return saved(candidate, backup);
        if (!taken) return {std::nullopt, error, {}};
    }
    return {std::nullopt, "every name like " + platform::utf8FromPath(file) + " is taken", {}};
}

SavedBackup saveBackupAs(const fs::path& file, const LibraryBuffer& backup, bool replace) {
    bool taken = false;
    const std::string error =
        replace ? saveLibraryFile(file, backup) : createLibraryFile(file, backup, taken);
    if (taken)
        return {
            std::nullopt, platform::utf8FromPath(file) + " exists already; give another file, or --force to replace it", {}};
    if (!error.empty()) return {std::nullopt, error, {}};
    return saved(file, backup);
}

std::string programProblem(std::span<const std::uint8_t> entry) {
    // Every program the unit is given is a whole DSP data block: its length field and 3568 bytes.
    if (entry.size() != kImageBytes)
        return "is " + std::to_string(entry.size()) + " bytes long; a program is " +
               std::to_string(kImageBytes);
    return {};
}

std::optional<LibraryBuffer> readBackupFile(Session& s, const fs::path& file) {
    LibraryBuffer buffer{};
    const LibraryReadResult read = readLibraryFile(file, buffer);
    if (!read.ok) {
        s.ui.error(read.error);
        return std::nullopt;
    }
    const auto invalid = [&](const std::string& why) {
        s.ui.error("The backup " + displayText(platform::utf8FromPath(file)) + " is not valid: " + why +
                   ". Nothing was sent.");
        return std::nullopt;
    };
    std::string error;
    const fs::path sumFile = checksumFileOf(file);
    std::error_code ec;
    const bool checksummed = fs::exists(sumFile, ec);
    if (checksummed) {
        const auto sum = readInputFile(sumFile, 4096, error);
        if (!sum) {
            s.ui.error(error);
            return std::nullopt;
        }
        const std::string digest = digestIn(*sum);
        if (digest.empty())
            return invalid(displayText(platform::utf8FromPath(sumFile.filename())) + " holds no SHA-256 checksum");
        if (digest != checksumLine(buffer, file).substr(0, 64))
            return invalid("it does not match its checksum in " + displayText(platform::utf8FromPath(sumFile.filename())) +
                           ": it changed after it was saved");
    }
    const auto entries = libraryEntries(buffer);
    std::optional<std::pair<std::size_t, int>> first; // the first program and its model code
    for (std::size_t k = 0; k < entries->size(); ++k) {
        const LibraryEntry& e = (*entries)[k];
        if (e.length == 0) continue;
        const std::string memory = "memory " + std::to_string(k + 1);
        if (const std::string problem = programProblem(std::span(buffer).subspan(e.offset, e.size()));
            !problem.empty())
            return invalid("the program of " + memory + " " + problem);
        if (!first)
            first = std::make_pair(k + 1, static_cast<int>(e.modelCode));
        else if (e.modelCode != first->second)
            return invalid("the program of memory " + std::to_string(first->first) + " carries " +
                           modelCodeText(first->second) + ", that of " + memory + " " +
                           modelCodeText(e.modelCode) + "; one cabinet's programs carry one");
    }
    if (!checksummed)
        s.ui.warning("The backup " + displayText(platform::utf8FromPath(file)) + " has no checksum file (" +
                     displayText(platform::utf8FromPath(sumFile.filename())) +
                     "): whether it changed since it was saved is not known.");
    return buffer;
}

MemoryList memoriesOf(const LibraryBuffer& backup) {
    MemoryList memories;
    for (int k = 1; k <= backup[0] && k <= kMemoryCount; ++k)
        memories.push_back(k);
    return memories;
}

} // namespace vela
