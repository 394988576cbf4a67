#include "platform/private_download_file.h"

#include "platform/folders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vela::platform {

std::optional<PrivateDownloadFile> PrivateDownloadFile::create(const std::filesystem::path& parent, const std::string& name,
                                                               std::string& error) {
    std::string base = (parent.empty() ? temporaryFolder() : parent).string();
    if (base.back() != '/') base += '/';
    std::string tmpl = base + "velaupdate-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    // mkdtemp makes the directory with mode 0700.
    if (!::mkdtemp(buf.data())) {
        error = "cannot make a private directory in " + base + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string directory(buf.data());
    std::string path = directory + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        ::rmdir(directory.c_str());
        return std::nullopt;
    }
    return PrivateDownloadFile(std::move(directory), std::move(path), fd);
}

PrivateDownloadFile::PrivateDownloadFile(PrivateDownloadFile&& o) noexcept
    : directory_(std::move(o.directory_)), path_(std::move(o.path_)), file_(o.file_), size_(o.size_), kept_(o.kept_) {
    o.file_ = -1;
    o.kept_ = true;  // the moved-from object owns nothing to discard
}

PrivateDownloadFile::~PrivateDownloadFile() {
    if (!kept_) discard();
}

bool PrivateDownloadFile::write(std::span<const char> bytes) {
    const int fd = static_cast<int>(file_);
    while (!bytes.empty()) {
        if (fd < 0) return false;
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        size_ += n;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool PrivateDownloadFile::keep() {
    const int fd = static_cast<int>(file_);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 && ::fchmod(fd, 0700) == 0;
    const bool closed = ::close(fd) == 0;
    file_ = -1;
    if (!ok || !closed) {
        discard();
        return false;
    }
    kept_ = true;
    return true;
}

void PrivateDownloadFile::discard() {
    if (file_ >= 0) ::close(static_cast<int>(file_));
    file_ = -1;
    if (!path_.empty()) ::unlink(path_.c_str());
    if (!directory_.empty()) ::rmdir(directory_.c_str());
    path_.clear();
    directory_.clear();
    kept_ = true;
}

}  // namespace vela::platform
