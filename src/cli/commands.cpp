#include "cli/commands.h"

namespace vela::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"devices", "list the FTDI bridges and serial ports found",
         "usage: velaupdate devices [--json]\n"
         "Lists the FTDI USB-serial bridges (device index 0 is the first) and the serial ports of this machine.\n",
         {"json"}, runDevices},
    };
    return table;
}

}  // namespace vela::cli
