#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace vela::platform {

std::FILE* openForReading(const std::filesystem::path& path) { return ::_wfopen(path.c_str(), L"rbN"); }

NewFile createNewFile(const std::filesystem::path& path) {
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
    ::_close(fd);
    return NewFile::Made;
}

// The C runtime opens files without FILE_SHARE_DELETE: while the stream is open, Windows refuses
// to delete the file, in this process or another. That is the guard. In binary mode, so that a
// log holds the same lines as on Linux, each ended by "\n".
std::FILE* openForAppend(const std::filesystem::path& path) { return ::_wfopen(path.c_str(), L"abN"); }

bool removeUnlessOpen(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::remove(path, ec);
}

}  // namespace vela::platform
