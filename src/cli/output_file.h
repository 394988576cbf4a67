#pragma once
// The files the commands write: never one of the command's own input files, and never an
// existing file of another kind (a preset replaced by a library, say) unless --force.

#include "cli/commands.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vela::cli {

enum class FileKind { None, Preset, Library, ProgramImage, Plot, Other };

// What an existing file holds, judged by its size and first bytes; None for a missing or
// empty file, which nothing is lost by replacing.
FileKind kindOfFile(const std::filesystem::path& path);

// Why `out` must not be written as a file of `kind`, or nullopt when it may. `inputs` are the
// files the command reads (the same file through another path or a link counts as well).
std::optional<std::string> outputRefusal(const std::string& out, FileKind kind, std::span<const std::string> inputs,
                                         bool force);

// The same for a command's --out: says why on stderr and returns false when refused.
bool outputAllowed(const Context& ctx, const char* command, const std::string& out, FileKind kind,
                   std::span<const std::string> inputs = {});

}  // namespace vela::cli
