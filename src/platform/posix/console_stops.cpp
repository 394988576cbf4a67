#include "platform/console_stops.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace vela::platform {
namespace {

constexpr int kStopSignals[3] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<ConsoleStops::Handler> current{nullptr};
struct sigaction before[3];

extern "C" void onStopSignal(int signal) {
    const ConsoleStops::Handler handler = current.load();
    if (handler && handler()) return;
    // Nobody wants it: the signal's ordinary effect, as if no handler were installed.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
    raise(signal);
}

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kStopSignals) sigaddset(&set, s);
    return set;
}

}  // namespace

ConsoleStops::ConsoleStops(Handler onStop) : previous_(current.exchange(onStop)) {
    if (previous_) return;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting at the terminal gives up, so the run can stop.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < 3; ++i) sigaction(kStopSignals[i], &action, &before[i]);
}

ConsoleStops::~ConsoleStops() {
    current = previous_;
    if (previous_) return;
    for (std::size_t i = 0; i < 3; ++i) sigaction(kStopSignals[i], &before[i], nullptr);
}

// Threads inherit the mask, so the signals reach only sigwait.
StopWait::StopWait() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// A stop that came after the awaited one belongs to this wait too, not to whatever runs next.
StopWait::~StopWait() {
    const sigset_t set = stopSignals();
    const timespec now{};
    while (sigtimedwait(&set, nullptr, &now) > 0) {
    }
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void StopWait::wait() {
    const sigset_t set = stopSignals();
    int signal = 0;
    sigwait(&set, &signal);
}

// To the process, as a terminal sends it: any thread may take it.
bool sendConsoleStop() { return ::kill(::getpid(), SIGINT) == 0; }

}  // namespace vela::platform
