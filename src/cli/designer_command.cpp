#include "cli/commands.h"
#include "core/exit_codes.h"

#include <cstdio>

namespace vela::cli {

// The designer is a window: the program opens it before the command line is read, so this
// runs only when the arguments could not be read as the window's.
int runDesigner(Context&) {
    std::fprintf(stderr, "velaupdate designer: give at most one preset file (velaupdate designer --help)\n");
    return kExitUsage;
}

}  // namespace vela::cli
