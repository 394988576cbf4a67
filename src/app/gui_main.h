#pragma once

namespace vela::app {

// Opens the windows and runs until the connection window closes; the exit code. Without a
// display it says so and returns the usage error code.
int runGui(int argc, char** argv);

}  // namespace vela::app
