#include "core/input_file.h"

#include "platform/files.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace vela {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::optional<std::vector<std::uint8_t>> readInputFile(const std::filesystem::path& path, std::size_t limit,
                                                       std::string& error) {
    namespace fs = std::filesystem;
    const std::string name = platform::utf8FromPath(path);
    if (name.empty()) {
        error = "no file name given";
        return std::nullopt;
    }
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        error = name + ": no such file";
        return std::nullopt;
    }
    if (ec) {
        error = name + ": cannot be read: " + ec.message();
        return std::nullopt;
    }
    if (st.type() == fs::file_type::directory) {
        error = name + ": is a folder, not a file";
        return std::nullopt;
    }
    // Devices, pipes and sockets could block or never end.
    if (st.type() != fs::file_type::regular) {
        error = name + ": is not a regular file";
        return std::nullopt;
    }
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(platform::openForReading(path));
    if (!file) {
        error = name + ": cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    const auto size = fs::file_size(path, ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, limit)));
    std::uint8_t chunk[16384];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof chunk, limit - bytes.size());
        const std::size_t got = std::fread(chunk, 1, want, file.get());
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < want) break;
    }
    if (std::ferror(file.get())) {
        error = name + ": cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    return bytes;
}

}  // namespace vela
