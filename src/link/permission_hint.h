#pragma once
// What to tell the user when the system refuses to open the USB bridge's tty.

#include <string>

namespace vela {

// Names the device, the group that owns it and the two ways to be let in: the udev rule that
// the installed package brings, or membership of that group (with the command to run).
std::string permissionDeniedMessage(const std::string& device);

}  // namespace vela
