#pragma once
// This process and its clock.

#include <ctime>

namespace vela::platform {

unsigned long processId();
// `t` in the local time zone.
std::tm localTime(std::time_t t);

}  // namespace vela::platform
