#include "platform/timer_resolution.h"

#include <windows.h>
#include <timeapi.h>

namespace vela::platform {

TimerResolution::TimerResolution() { timeBeginPeriod(1); }
TimerResolution::~TimerResolution() { timeEndPeriod(1); }

}  // namespace vela::platform
