#include "core/stop_request.h"

#include "core/user_interface.h"

namespace vela {
namespace {

// Constant-initialised, so the signal handler never meets it half made.
constinit StopSource processSource;

}  // namespace

StopSource& StopSource::process() noexcept { return processSource; }

void StopRequest::clear() noexcept {
    own_.store(0, std::memory_order_relaxed);
    seen_.store(source_.count(), std::memory_order_relaxed);
    warned_.store(false);
    thrown_.store(false);
}

void StopRequest::checkpoint(UserInterface& ui) {
    if (immediate()) {
        // Once: the run that caught it may pump again while it cleans up and reports.
        if (!thrown_.exchange(true)) throw RunStopped{};
        return;
    }
    if (!requested()) return;
    if (const char* warning = criticalWarning_.load(); warning && !warned_.exchange(true)) ui.warning(warning);
}

}  // namespace vela
