#pragma once

namespace vela::app {

// Opens the windows and runs until the connection window closes; the exit code. Without a
// display it says so and returns the usage error code.
int runGui(int argc, char** argv);

// Where the window would draw: false when no display is set and no Qt platform chosen.
bool displayAvailable();

}  // namespace vela::app
