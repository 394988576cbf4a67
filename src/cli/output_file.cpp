#include "cli/output_file.h"

#include "core/input_file.h"
#include "library/library_file.h"
#include "platform/utf8_paths.h"
#include "preset/preset_record.h"

#include <cstdio>
#include <string_view>
#include <system_error>

namespace vela::cli {
namespace {

namespace fs = std::filesystem;

const char* nameOf(FileKind kind) {
    switch (kind) {
    case FileKind::None: return "nothing";
    case FileKind::Preset: return "a preset file";
    case FileKind::Library: return "a library file";
    case FileKind::ProgramImage: return "a program image";
    case FileKind::Plot: return "a plot";
    case FileKind::Other: return "a file of another program";
    }
    return "";
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin(),
                                                     [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

}  // namespace

FileKind kindOfFile(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size == 0) return FileKind::None;
    std::string error;
    const auto head = readInputFile(path, 8, error);
    if (!head || head->size() < 2) return FileKind::Other;
    const auto& b = *head;
    if ((size == kPresetRecordSize || size == kOlderPresetRecordSize) && hasPresetSignature(b)) return FileKind::Preset;
    if (size == kLibrarySize && b[0] <= kLibraryMaxPrograms) return FileKind::Library;
    // A program image is its own 2-byte big-endian length followed by that many bytes.
    if ((std::uintmax_t(b[0]) << 8 | b[1]) + 2 == size) return FileKind::ProgramImage;
    if (startsWith(b, "\x89PNG") || startsWith(b, "<?xml") || startsWith(b, "<svg")) return FileKind::Plot;
    return FileKind::Other;
}

std::optional<std::string> outputRefusal(const std::string& out, FileKind kind, std::span<const std::string> inputs,
                                         bool force) {
    std::error_code ec;
    const fs::path outPath = platform::pathFromUtf8(out);
    if (fs::is_directory(outPath, ec)) return out + ": is a folder, not a file";
    for (const std::string& input : inputs) {
        if (fs::equivalent(outPath, platform::pathFromUtf8(input), ec) && !ec)
            return out + ": is " + (out == input ? "an input of this command" : "the input file " + input) +
                   "; writing it would destroy what is being read. Give another output file.";
    }
    const FileKind existing = kindOfFile(outPath);
    if (existing != FileKind::None && existing != kind && !force)
        return out + ": is " + nameOf(existing) + "; it would be replaced by " + nameOf(kind) +
               ". Give another output file, or --force to replace it.";
    return std::nullopt;
}

bool outputAllowed(const Context& ctx, const char* command, const std::string& out, FileKind kind,
                   std::span<const std::string> inputs) {
    const auto refusal = outputRefusal(out, kind, inputs, ctx.args.flag("force"));
    if (refusal) std::fprintf(stderr, "velaupdate %s: %s\n", command, refusal->c_str());
    return !refusal;
}

}  // namespace vela::cli
