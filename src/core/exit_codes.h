#pragma once

namespace vela {

// What every command returns to the shell.
enum ExitCode : int {
    kExitOk = 0,
    kExitLinkFailed = 1,  // the unit, the link or the network failed
    kExitUsage = 2,
    kExitBadInput = 3,  // a file could not be read or is not of its kind
    kExitDeclined = 4,  // the user answered No or Cancel to a question
};

}  // namespace vela
