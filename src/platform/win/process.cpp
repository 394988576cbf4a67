#include "platform/process.h"

#include <windows.h>

namespace vela::platform {

unsigned long processId() { return GetCurrentProcessId(); }

std::tm localTime(std::time_t t) {
    std::tm local{};
    localtime_s(&local, &t);
    return local;
}

}  // namespace vela::platform
