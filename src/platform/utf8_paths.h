#pragma once
// File names travel through the program as UTF-8 strings (arguments, Qt's strings, settings).
// Windows reads a narrow string given to std::filesystem::path in its ANSI code page, and writes
// one back in it: every string becomes a path, and every path a string, through here.

#include <filesystem>
#include <string>
#include <string_view>

namespace vela::platform {

std::filesystem::path pathFromUtf8(std::string_view name);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace vela::platform
