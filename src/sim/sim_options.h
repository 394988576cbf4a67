#pragma once
// How the simulated unit behaves: where its memories live, what an unwritten memory reads
// back as, which memories are protected, the emulated wire speed, faults and the trace.

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vela::sim {

struct SimFault {
    // Silent: the unit answers no exchange at all, as when the module's serial side is dead.
    enum class Kind { Start, Long, End, SilentBlock, HangupBlock, Silent };
    Kind kind = Kind::Start;
    // Strikes the at-th time the unit reaches that point (counted from its start); 0: every time.
    int at = 0;
};

struct SimOptions {
    std::filesystem::path memoryDir;  // empty: memories live in memory only
    int modelCode = 1;                // byte 4 of what an unwritten memory reads back as
    bool empty = false;               // unwritten memories answer a read with length 0xFFFF
    std::set<int> protectedMemories;  // refuse writes: answer the memory number with 0xFF
    int baud = 0;                     // emulate the wire time of every byte; 0: as fast as possible
    std::vector<SimFault> faults;
    std::filesystem::path traceFile;  // one JSON line per exchange
    // A PC silent this long in the middle of an exchange has given it up: the unit waits for
    // the next START. Longer than any pause the PC makes within an exchange.
    std::chrono::milliseconds exchangeTimeout{3000};
};

// "start", "long", "end", "silent-block", "hangup-block", "silent", each optionally "@N".
std::optional<SimFault> parseFault(std::string_view text);
// "3,5": memory numbers 1..13.
std::optional<std::set<int>> parseMemoryList(std::string_view text);
std::string faultName(SimFault::Kind kind);

// "N:WHAT" for cabinet N (from 1) of a rig: WHAT is a fault as parseFault reads it,
// "protect=3,5" or "empty". Applies it to cabinets[N - 1]; throws std::invalid_argument,
// saying why, when the text is malformed or N names no cabinet.
void applyRigFault(std::string_view text, std::vector<SimOptions>& cabinets);

}  // namespace vela::sim
