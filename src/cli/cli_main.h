#pragma once

namespace vela::cli {

// Runs one command of the command line; returns the process's exit code.
int runCli(int argc, char** argv);

}  // namespace vela::cli
