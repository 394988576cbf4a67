#pragma once
// Standard output as the commands see it: every byte goes straight on to stdout, and the
// count tells whether a command printed anything (a failed --json command that printed
// nothing still owes its one JSON document).

#include <cstdio>

namespace vela::cli {

class CountedOutput {
public:
    explicit CountedOutput(std::FILE* to);
    ~CountedOutput();
    CountedOutput(const CountedOutput&) = delete;
    CountedOutput& operator=(const CountedOutput&) = delete;

    // Line-buffered, so that a document or a line reaches a pipe when it is complete.
    std::FILE* file() const { return file_ ? file_ : to_; }
    long written() const { return written_; }

private:
    std::FILE* to_;
    std::FILE* file_ = nullptr;
    long written_ = 0;
};

}  // namespace vela::cli
