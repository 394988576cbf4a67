#include "link/device_lock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vela {
namespace {

// The PID written in a lock file, in the usual ten-column text or as a binary int.
long lockOwner(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    long pid = 0;
    if (std::sscanf(text.c_str(), "%ld", &pid) == 1) return pid;
    if (text.size() == sizeof(int)) {
        int binary = 0;
        std::copy(text.begin(), text.end(), reinterpret_cast<char*>(&binary));
        return binary;
    }
    return 0;
}

bool alive(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

}  // namespace

std::string UucpLock::fileName(const std::string& device) {
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : std::filesystem::path(device).filename().string();
    for (char& c : name)
        if (c == '/') c = '_';
    return "LCK.." + name;
}

std::string UucpLock::acquire(const std::string& device) {
    release();
    const auto file = directory_ / fileName(device);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int n = std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(::getpid()));
            const bool written = ::write(fd, text, static_cast<std::size_t>(n)) == n;
            ::close(fd);
            if (written) held_ = file;
            return {};
        }
        if (errno != EEXIST) return {};  // no lock directory we may write: nothing to agree on
        const long pid = lockOwner(file);
        if (pid == ::getpid()) return {};
        if (alive(pid)) return describeProcess(pid);
        std::error_code ignored;
        std::filesystem::remove(file, ignored);  // its owner has ended
    }
    return {};
}

void UucpLock::release() {
    if (held_.empty()) return;
    if (lockOwner(held_) == ::getpid()) {
        std::error_code ignored;
        std::filesystem::remove(held_, ignored);
    }
    held_.clear();
}

std::string describeProcess(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "PID " + std::to_string(pid) : name + ", PID " + std::to_string(pid);
}

std::string flockHolder(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return {};
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%lu", ::major(st.st_dev), ::minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    // "1: FLOCK  ADVISORY  WRITE 812 00:19:6 0 EOF"
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> kind)) continue;
        if (kind == "->") continue;  // a waiter, not a holder
        if (kind != "FLOCK" || !(fields >> mode >> access >> pid >> where)) continue;
        if (where == device && pid > 0) return describeProcess(pid);
    }
    return {};
}

}  // namespace vela
