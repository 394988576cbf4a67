#pragma once
// Every file the program reads (preset, library, image, firmware and measurement files) comes
// in through here, so that a folder, a device or an unreadable path is one clear line and
// never a stream exception or a file that seems to hold nothing.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vela {

// Up to `limit` bytes of `path`, which must be a readable regular file. Otherwise nullopt and
// `error` names the path and the reason ("…: is a folder, not a file"). A reader that refuses
// overlong files asks for one byte more than it accepts.
std::optional<std::vector<std::uint8_t>> readInputFile(const std::filesystem::path& path, std::size_t limit,
                                                       std::string& error);

}  // namespace vela
