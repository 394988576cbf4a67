#include "core/stop_request.h"

#include "core/user_interface.h"

#include <utility>

namespace vela {

void StopRequest::clear() noexcept {
    count_.store(0, std::memory_order_relaxed);
    warned_ = false;
    thrown_ = false;
}

void StopRequest::checkpoint(UserInterface& ui) {
    if (immediate()) {
        // Once: the run that caught it may pump again while it cleans up and reports.
        if (!std::exchange(thrown_, true)) throw RunStopped{};
        return;
    }
    if (requested() && !criticalWarning_.empty() && !std::exchange(warned_, true)) ui.warning(criticalWarning_);
}

StopRequest::Critical::Critical(StopRequest& r, std::string warning)
    : r_(r), previous_(std::exchange(r.criticalWarning_, std::move(warning))) {}

StopRequest::Critical::~Critical() { r_.criticalWarning_ = std::move(previous_); }

}  // namespace vela
