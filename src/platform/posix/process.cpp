#include "platform/process.h"

#include <unistd.h>

namespace vela::platform {

unsigned long processId() { return static_cast<unsigned long>(::getpid()); }

std::tm localTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

}  // namespace vela::platform
