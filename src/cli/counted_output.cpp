#include "cli/counted_output.h"

#include <cstdarg>

namespace vela::cli {

void CountedOutput::print(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int n = std::vfprintf(to_, format, args);
    va_end(args);
    if (n > 0) written_ += n;
    flush();
}

void CountedOutput::write(std::string_view text) {
    written_ += static_cast<long>(std::fwrite(text.data(), 1, text.size(), to_));
}

}  // namespace vela::cli
