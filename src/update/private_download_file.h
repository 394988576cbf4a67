#pragma once
// A download target nobody else can swap: a new directory only its owner can enter, and in
// it a file created exclusively. Discarded unless kept.

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vela {

class PrivateDownloadFile {
public:
    // Makes parent/velaupdate-XXXXXX (mode 0700) and creates `name` in it; nothing on failure,
    // with the reason in error.
    static std::optional<PrivateDownloadFile> create(const std::filesystem::path& parent, const std::string& name,
                                                     std::string& error);

    PrivateDownloadFile(PrivateDownloadFile&& other) noexcept;
    PrivateDownloadFile& operator=(PrivateDownloadFile&&) = delete;
    PrivateDownloadFile(const PrivateDownloadFile&) = delete;
    ~PrivateDownloadFile();

    bool write(std::span<const char> bytes);
    // Flushes and closes the file and leaves it in place, executable by its owner only.
    bool keep();
    // Removes the file and its directory.
    void discard();

    const std::string& path() const { return path_; }
    const std::string& directory() const { return directory_; }
    long long size() const { return size_; }

private:
    PrivateDownloadFile(std::string directory, std::string path, int fd)
        : directory_(std::move(directory)), path_(std::move(path)), fd_(fd) {}

    std::string directory_;
    std::string path_;
    int fd_ = -1;
    long long size_ = 0;
    bool kept_ = false;
};

}  // namespace vela
