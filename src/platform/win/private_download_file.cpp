#include "platform/private_download_file.h"

#include "platform/folders.h"

#include <algorithm>
#include <random>
#include <system_error>
#include <windows.h>

namespace vela::platform {
namespace {

namespace fs = std::filesystem;

std::string lastError() { return std::system_category().message(static_cast<int>(GetLastError())); }

HANDLE handleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }
const std::intptr_t kNoFile = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);

// velaupdate-XXXXXX, as mkdtemp names its folders.
fs::path randomFolderName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = "velaupdate-";
    for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
    return name;
}

}  // namespace

// %TEMP% is the user's own; the new folder takes its permissions. Making it is the exclusive
// step: an existing folder of that name is never used.
std::optional<PrivateDownloadFile> PrivateDownloadFile::create(const fs::path& parent, const std::string& name,
                                                               std::string& error) {
    const fs::path base = parent.empty() ? temporaryFolder() : parent;
    fs::path directory;
    for (int attempt = 0; directory.empty(); ++attempt) {
        const fs::path candidate = base / randomFolderName();
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            directory = candidate;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) {
            error = "cannot make a private directory in " + base.string() + ": " + lastError();
            return std::nullopt;
        }
    }
    const fs::path path = directory / fs::u8path(name);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot create " + path.string() + ": " + lastError();
        RemoveDirectoryW(directory.c_str());
        return std::nullopt;
    }
    return PrivateDownloadFile(directory.string(), path.string(), reinterpret_cast<std::intptr_t>(file));
}

PrivateDownloadFile::PrivateDownloadFile(PrivateDownloadFile&& o) noexcept
    : directory_(std::move(o.directory_)), path_(std::move(o.path_)), file_(o.file_), size_(o.size_), kept_(o.kept_) {
    o.file_ = kNoFile;
    o.kept_ = true;  // the moved-from object owns nothing to discard
}

PrivateDownloadFile::~PrivateDownloadFile() {
    if (!kept_) discard();
}

bool PrivateDownloadFile::write(std::span<const char> bytes) {
    while (!bytes.empty()) {
        if (file_ == kNoFile) return false;
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(handleOf(file_), bytes.data(), chunk, &n, nullptr) || n == 0) return false;
        size_ += n;
        bytes = bytes.subspan(n);
    }
    return true;
}

bool PrivateDownloadFile::keep() {
    if (file_ == kNoFile) return false;
    const bool ok = FlushFileBuffers(handleOf(file_));
    const bool closed = CloseHandle(handleOf(file_));
    file_ = kNoFile;
    if (!ok || !closed) {
        discard();
        return false;
    }
    kept_ = true;
    return true;
}

void PrivateDownloadFile::discard() {
    if (file_ != kNoFile) CloseHandle(handleOf(file_));
    file_ = kNoFile;
    if (!path_.empty()) DeleteFileW(fs::u8path(path_).c_str());
    if (!directory_.empty()) RemoveDirectoryW(fs::u8path(directory_).c_str());
    path_.clear();
    directory_.clear();
    kept_ = true;
}

}  // namespace vela::platform
