#pragma once
// Standard output as the commands write it: each write goes straight on to the stream, and the
// count tells whether a command printed anything (a failed --json command that printed nothing
// still owes its one JSON document, and one that printed must not add a second).

#include <cstdio>
#include <string_view>

namespace vela::cli {

class CountedOutput {
public:
    explicit CountedOutput(std::FILE* to) : to_(to) {}
    CountedOutput(const CountedOutput&) = delete;
    CountedOutput& operator=(const CountedOutput&) = delete;

    // Flushed at once, so that a line reaches a pipe when it is complete and a run that is
    // killed keeps what it printed (the C library of Windows buffers lines fully).
    void print(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    // Pieces of a document, flushed when it is complete.
    void write(std::string_view text);
    void flush() { std::fflush(to_); }
    long written() const { return written_; }

private:
    std::FILE* to_;
    long written_ = 0;
};

}  // namespace vela::cli
