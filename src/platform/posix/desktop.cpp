#include "platform/desktop.h"

#include <cstdlib>

namespace vela::platform {
namespace {

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

bool desktopAvailable() { return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY"); }

}  // namespace vela::platform
