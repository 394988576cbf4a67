#include "library/library_file.h"

#include "core/input_file.h"
#include "platform/files.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace vela {
namespace {

std::uint16_t readU16be(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

// Where the next entry would start, when the library is valid.
std::size_t endOfEntries(const std::vector<LibraryEntry>& entries) {
    return entries.empty() ? 1 : entries.back().offset + entries.back().size();
}

}  // namespace

std::optional<std::vector<LibraryEntry>> libraryEntries(const LibraryBuffer& b, std::string* reason) {
    auto fail = [&](std::string why) -> std::optional<std::vector<LibraryEntry>> {
        if (reason) *reason = std::move(why);
        return std::nullopt;
    };
    const std::size_t n = b[0];
    if (n > kLibraryMaxPrograms)
        return fail("it claims " + std::to_string(n) + " programs; a library holds at most 13");
    std::vector<LibraryEntry> entries;
    std::size_t offset = 1;
    for (std::size_t k = 0; k < n; ++k) {
        if (offset + 2 > kLibrarySize) return fail("program " + std::to_string(k + 1) + " runs past the end");
        LibraryEntry e;
        e.offset = offset;
        e.length = readU16be(&b[offset]);
        if (offset + e.size() > kLibrarySize) return fail("program " + std::to_string(k + 1) + " runs past the end");
        // Each entry is copied into the program image to be sent.
        if (e.size() > kProgramImageSize)
            return fail("program " + std::to_string(k + 1) + " is " + std::to_string(e.size()) +
                        " bytes long; a program image holds at most " + std::to_string(kProgramImageSize));
        if (e.size() > 4) e.modelCode = static_cast<std::int8_t>(b[offset + 4]);
        if (e.size() >= 52) e.name.assign(reinterpret_cast<const char*>(&b[offset + 12]), 40);
        entries.push_back(std::move(e));
        offset += entries.back().size();
    }
    return entries;
}

LibraryReadResult readLibraryFile(const std::filesystem::path& file, LibraryBuffer& buffer) {
    buffer.fill(0);
    std::string error;
    // Bytes beyond the first 57121 are not part of the library.
    const auto bytes = readInputFile(file, kLibrarySize, error);
    if (!bytes) return {false, "Cannot open the library file " + error};
    const std::size_t got = bytes->size();
    if (got < kLibrarySize) {
        // A truncated library must not reach the unit: keep nothing of it.
        buffer.fill(0);
        return {false, "Read beyond end of file: the library file " + platform::utf8FromPath(file) + " holds " +
                           std::to_string(got) + " bytes, not 57121"};
    }
    std::copy(bytes->begin(), bytes->end(), buffer.begin());
    std::string reason;
    if (!libraryEntries(buffer, &reason)) {
        buffer.fill(0);
        return {false, "The library file " + platform::utf8FromPath(file) + " is not valid: " + reason};
    }
    return {true, {}};
}

std::string saveLibraryFile(const std::filesystem::path& file, const LibraryBuffer& buffer) {
    std::filesystem::path tmp = file;
    tmp += ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return "Cannot create " + platform::utf8FromPath(tmp) + ": " + std::generic_category().message(errno);
        out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(tmp, ec);
            return "Cannot write " + platform::utf8FromPath(file) + ": " + std::generic_category().message(errno);
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return "Cannot write " + platform::utf8FromPath(file) + ": " + ec.message();
    }
    return {};
}

std::string createLibraryFile(const std::filesystem::path& file, const LibraryBuffer& buffer, bool& taken) {
    // Made here or not at all, whoever else writes into the folder at the same moment.
    const platform::NewFile made = platform::createNewFile(file);
    taken = made == platform::NewFile::Exists;
    if (made != platform::NewFile::Made)
        return "Cannot create " + platform::utf8FromPath(file) + ": " + std::generic_category().message(errno);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    out.close();
    if (!out) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        return "Cannot write " + platform::utf8FromPath(file) + ": " + std::generic_category().message(errno);
    }
    return {};
}

bool appendLibraryEntry(LibraryBuffer& buffer, const ProgramImage& image) {
    const auto entries = libraryEntries(buffer);
    if (!entries || entries->size() >= kLibraryMaxPrograms) return false;
    const std::size_t offset = endOfEntries(*entries);
    const std::size_t size = std::size_t(readU16be(image.data())) + 2;
    if (size > image.size() || offset + size > kLibrarySize) return false;
    std::copy_n(image.begin(), size, buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    buffer[0] = static_cast<std::uint8_t>(entries->size() + 1);
    return true;
}

void setLibraryModelCode(LibraryBuffer& buffer, int modelCode) {
    const auto entries = libraryEntries(buffer);
    if (!entries) return;
    for (const auto& e : *entries)
        if (e.size() > 4) buffer[e.offset + 4] = static_cast<std::uint8_t>(modelCode);
}

std::optional<int> libraryModelCode(const LibraryBuffer& buffer) {
    const auto entries = libraryEntries(buffer);
    if (!entries) return std::nullopt;
    std::optional<int> code;
    for (const auto& e : *entries) {
        // An entry of length 0 (a backup's empty memory) carries no program and no code.
        if (e.length == 0) continue;
        if (code && e.modelCode != *code) return std::nullopt;
        code = e.modelCode;
    }
    return code;
}

bool copyLibraryEntry(const LibraryBuffer& buffer, const LibraryEntry& entry, ProgramImage& image) {
    if (entry.size() > image.size() || entry.offset > buffer.size() || entry.size() > buffer.size() - entry.offset)
        return false;
    std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(entry.offset), entry.size(), image.begin());
    return true;
}

}  // namespace vela
