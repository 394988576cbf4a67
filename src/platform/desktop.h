#pragma once
// Whether the window has somewhere to draw.

namespace vela::platform {

// False on Linux when no display is set (DISPLAY, WAYLAND_DISPLAY) and no Qt platform chosen
// (QT_QPA_PLATFORM), as over ssh or in a service; Windows always has its desktop.
bool desktopAvailable();

}  // namespace vela::platform
