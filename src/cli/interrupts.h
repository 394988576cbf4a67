#pragma once
// Ctrl-C (SIGINT), SIGTERM and a closed terminal (SIGHUP) become stop requests while a run
// that honours them is under way (StopRequest::Listening): the first lets the exchange in
// progress finish, the second stops at once. At any other time they end the program as
// they always did.

#include "core/stop_request.h"

#include <csignal>

namespace vela::cli {

class InterruptRequests {
public:
    explicit InterruptRequests(StopRequest& stop);
    ~InterruptRequests();
    InterruptRequests(const InterruptRequests&) = delete;
    InterruptRequests& operator=(const InterruptRequests&) = delete;

private:
    struct sigaction previous_[3];
};

}  // namespace vela::cli
