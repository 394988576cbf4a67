#include "platform/timer_resolution.h"

#include <sys/prctl.h>

namespace vela::platform {

TimerResolution::TimerResolution() { ::prctl(PR_SET_TIMERSLACK, 1000UL); }
// Zero gives the thread back its default slack.
TimerResolution::~TimerResolution() { ::prctl(PR_SET_TIMERSLACK, 0UL); }

}  // namespace vela::platform
