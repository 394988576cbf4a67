#pragma once
// Exclusive use of a serial device among programs: the lock file that serial programs on
// Linux agree on (/var/lock/LCK..ttyUSB0 holding the owner's PID), and naming whoever holds
// a device when it is busy.

#include <filesystem>
#include <string>

namespace vela {

class UucpLock {
public:
    explicit UucpLock(std::filesystem::path directory = "/var/lock") : directory_(std::move(directory)) {}
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Takes the lock of `device`. Empty on success, or when no lock can be kept here (no
    // lock directory, no right to write it); otherwise who holds it ("velaupdate, PID 812").
    // A lock left by a program that has ended is taken over.
    std::string acquire(const std::string& device);
    void release();

    // LCK..ttyUSB0 for /dev/ttyUSB0, LCK..pts_3 for /dev/pts/3.
    static std::string fileName(const std::string& device);

private:
    std::filesystem::path directory_;
    std::filesystem::path held_;
};

// "velaupdate, PID 812", or "PID 812" when the program's name cannot be read.
std::string describeProcess(long pid);
// Who holds an flock() on the file at `path`, from /proc/locks; empty when nobody is known.
std::string flockHolder(const std::string& path);

}  // namespace vela
