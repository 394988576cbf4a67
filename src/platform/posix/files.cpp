#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vela::platform {

std::FILE* openForReading(const std::filesystem::path& path) { return std::fopen(path.c_str(), "rbe"); }

NewFile createNewFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
    ::close(fd);
    return NewFile::Made;
}

// An open stream holds a shared lock on its file; removing takes an exclusive one first.
std::FILE* openForAppend(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "ae");
    if (f) ::flock(::fileno(f), LOCK_SH | LOCK_NB);
    return f;
}

bool removeUnlessOpen(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ec;
        removed = std::filesystem::remove(path, ec);
    }
    ::close(fd);
    return removed;
}

}  // namespace vela::platform
