#pragma once
// HTTP GET as a small interface: Qt gives the real one, tests a server on 127.0.0.1.

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vela {

// Each limit that runs out fails the request with an error that names it.
struct HttpLimits {
    // The request fails when no byte arrives for this long (connecting included).
    std::chrono::milliseconds idle{15000};
    // The whole request fails after this long; zero: no limit besides idle.
    std::chrono::milliseconds total{0};
};

struct HttpReply {
    bool ok = false;            // completed with a 2xx status and every byte delivered
    int status = 0;             // HTTP status, 0 when none came
    std::int64_t contentLength = -1;  // from the headers; -1 when not given
    std::string error;          // why it failed
};

class HttpGetter {
public:
    virtual ~HttpGetter() = default;

    // Body bytes as they arrive; returning false stops the request (it then fails).
    using Sink = std::function<bool(std::span<const char>)>;
    // Bytes received so far and the total (-1 when unknown); returning false cancels. Asked
    // as bytes arrive and at a steady pace meanwhile, so a cancel is heard on a stalled line.
    using Progress = std::function<bool(std::int64_t received, std::int64_t total)>;

    virtual HttpReply get(const std::string& url, const Sink& sink, const Progress& progress, HttpLimits limits) = 0;
};

}  // namespace vela
