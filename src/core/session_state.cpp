#include "core/session_state.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vela {

void SessionState::setProgramNumber(std::int32_t n) { ProgramNumber = std::clamp(n, 1, 13); }

std::string platformTempPath() {
    std::error_code ec;
    auto dir = std::filesystem::temp_directory_path(ec);
    if (ec) dir = "/tmp";
    std::string path = dir.string();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace vela
