#include "cli/interrupts.h"

#include "core/stop_request.h"

namespace vela::cli {
namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onStopSignal(int signal) {
    StopSource& stops = StopSource::process();
    if (stops.listening()) {
        stops.request();
        return;
    }
    // Nothing is listening: the signal's ordinary effect, as if no handler were installed.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
    raise(signal);
}

}  // namespace

InterruptRequests::InterruptRequests() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting at the terminal gives up, so the run can stop.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

InterruptRequests::~InterruptRequests() {
    for (std::size_t i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

}  // namespace vela::cli
