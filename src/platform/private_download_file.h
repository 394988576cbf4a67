#pragma once
// A download target nobody else can swap: a new directory only its owner can enter (on Windows
// one in the user's own temporary folder), and in it a file created exclusively. Discarded
// unless kept.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vela::platform {

class PrivateDownloadFile {
public:
    // Makes parent/velaupdate-XXXXXX (mode 0700) and creates `name` in it; nothing on failure,
    // with the reason in error. An empty parent is the system's temporary folder.
    static std::optional<PrivateDownloadFile> create(const std::filesystem::path& parent, const std::string& name,
                                                     std::string& error);

    PrivateDownloadFile(PrivateDownloadFile&& other) noexcept;
    PrivateDownloadFile& operator=(PrivateDownloadFile&&) = delete;
    PrivateDownloadFile(const PrivateDownloadFile&) = delete;
    ~PrivateDownloadFile();

    bool write(std::span<const char> bytes);
    // Flushes the file to disk, closes it and leaves it in place (on Linux executable by its
    // owner only).
    bool keep();
    // Removes the file and its directory.
    void discard();

    const std::string& path() const { return path_; }
    const std::string& directory() const { return directory_; }
    long long size() const { return size_; }

private:
    PrivateDownloadFile(std::string directory, std::string path, std::intptr_t file)
        : directory_(std::move(directory)), path_(std::move(path)), file_(file) {}

    std::string directory_;
    std::string path_;
    std::intptr_t file_ = -1;  // a file descriptor, or on Windows a handle
    long long size_ = 0;
    bool kept_ = false;
};

}  // namespace vela::platform
