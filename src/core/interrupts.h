#pragma once
// Stops at the console (Ctrl-C and the like, see platform/console_stops.h) become requests of the
// process's StopSource while some session runs a stretch that honours them
// (StopRequest::Listening), so every session under way sees them: the first lets the exchange in
// progress finish, the second stops at once. At any other time they end the program as they
// always did.

#include "platform/console_stops.h"

namespace vela {

class InterruptRequests {
public:
    InterruptRequests();

private:
    platform::ConsoleStops stops_;
};

}  // namespace vela
