#pragma once
// A pseudo-terminal pair: the program under test opens the slave path as its serial line,
// the test plays the unit on the master side.

#include <chrono>
#include <cstdint>
#include <string>
#include <termios.h>
#include <vector>

namespace vela::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void send(const std::vector<std::uint8_t>& bytes);
    // Reads until `count` bytes arrived or the time-out passed.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds timeout);
    // The line settings the slave side has now.
    termios slaveSettings() const;

private:
    int master_ = -1;
    int slaveKeeper_ = -1;  // keeps the slave alive between the program's opens
    std::string slavePath_;
};

}  // namespace vela::test
