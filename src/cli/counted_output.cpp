#include "cli/counted_output.h"

#include <cstdio>

namespace vela::cli {
namespace {

struct Cookie {
    std::FILE* to;
    long* written;
};

ssize_t forward(void* cookie, const char* data, std::size_t size) {
    auto* c = static_cast<Cookie*>(cookie);
    const std::size_t n = std::fwrite(data, 1, size, c->to);
    std::fflush(c->to);
    *c->written += static_cast<long>(n);
    return n == size ? static_cast<ssize_t>(n) : -1;
}

int release(void* cookie) {
    delete static_cast<Cookie*>(cookie);
    return 0;
}

}  // namespace

CountedOutput::CountedOutput(std::FILE* to) : to_(to) {
    cookie_io_functions_t io{};
    io.write = forward;
    io.close = release;
    auto* cookie = new Cookie{to, &written_};
    file_ = fopencookie(cookie, "w", io);
    if (!file_) {
        delete cookie;
        return;
    }
    std::setvbuf(file_, nullptr, _IOLBF, BUFSIZ);
}

CountedOutput::~CountedOutput() {
    if (file_) std::fclose(file_);
}

}  // namespace vela::cli
