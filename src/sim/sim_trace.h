#pragma once
// The record of one exchange as the simulated unit saw it, and the trace file that keeps
// one JSON line per exchange.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace vela::sim {

struct SimRecord {
    std::string kind;  // "exchange", "read-back", "realtime"
    int command = -1;  // the COMMAND byte of an exchange
    int program = -1;  // the memory it addressed
    // "ok", "protected", "refused", "fault-start", "fault-long", "fault-end", "silent",
    // "hangup", "abandoned"
    std::string outcome;
    std::vector<std::uint8_t> host;  // what the PC sent, in order
    std::vector<std::uint8_t> unit;  // what the unit sent, in order
};

// "65 03 05": bytes as two-digit lower-case hexadecimal, space-separated.
std::string hexBytes(const std::vector<std::uint8_t>& bytes);
std::string traceLine(const SimRecord& record, long sequence);

class TraceFile {
public:
    // An empty path keeps no file.
    explicit TraceFile(const std::filesystem::path& path);
    void append(const SimRecord& record);
    bool failed() const { return failed_; }

private:
    std::mutex mutex_;
    std::ofstream out_;
    long sequence_ = 0;
    bool failed_ = false;
};

}  // namespace vela::sim
