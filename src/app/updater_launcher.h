#pragma once
// How the window starts a downloaded updater. Windows runs it through the shell, so that it may
// ask for administrator rights. Linux cannot run the Windows updater: the user is told where it
// is and offered its folder.

#include "update/update_check.h"

#include <functional>
#include <memory>

namespace vela {
class UserInterface;
}

namespace vela::app {

// The launcher runs on the worker thread; `closeProgress` closes the progress window before
// anything more is asked.
std::unique_ptr<UpdaterLauncher> desktopUpdaterLauncher(UserInterface& ui, std::function<void()> closeProgress);

}  // namespace vela::app
