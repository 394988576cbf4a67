#include "platform/utf8_paths.h"

namespace vela::platform {

// Linux file names are bytes, UTF-8 by convention: nothing to convert.
std::filesystem::path pathFromUtf8(std::string_view name) { return std::filesystem::path(name); }

std::string utf8FromPath(const std::filesystem::path& path) { return path.string(); }

}  // namespace vela::platform
