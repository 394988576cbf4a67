#include "core/interrupts.h"

#include "core/stop_request.h"

namespace vela {
namespace {

bool requestStop() {
    StopSource& stops = StopSource::process();
    if (!stops.listening()) return false;
    stops.request();
    return true;
}

}  // namespace

InterruptRequests::InterruptRequests() : stops_(requestStop) {}

}  // namespace vela
