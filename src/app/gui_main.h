#pragma once

namespace vela {

// Opens the windows and runs until the connection window closes.
int runGui(int argc, char** argv);

}  // namespace vela
