#include "app/updater_launcher.h"

#include "update/detached_updater_launcher.h"

namespace vela::app {

// The progress window closes with the program, once the updater is running.
std::unique_ptr<UpdaterLauncher> desktopUpdaterLauncher(UserInterface&, std::function<void()>) {
    return std::make_unique<DetachedUpdaterLauncher>();
}

}  // namespace vela::app
