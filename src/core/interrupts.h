#pragma once
// Ctrl-C (SIGINT), SIGTERM and a closed terminal (SIGHUP) become requests of the process's
// StopSource while some session runs a stretch that honours them (StopRequest::Listening), so
// every session under way sees them: the first lets the exchange in progress finish, the
// second stops at once. At any other time they end the program as they always did.

#include <csignal>

namespace vela::cli {

class InterruptRequests {
public:
    InterruptRequests();
    ~InterruptRequests();
    InterruptRequests(const InterruptRequests&) = delete;
    InterruptRequests& operator=(const InterruptRequests&) = delete;

private:
    struct sigaction previous_[3];
};

}  // namespace vela::cli
