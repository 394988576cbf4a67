#include "platform/desktop.h"

namespace vela::platform {

bool desktopAvailable() { return true; }

}  // namespace vela::platform
