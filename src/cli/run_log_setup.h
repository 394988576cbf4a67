#pragma once
// The command line's run log: where it goes, and its first and last lines.

#include "cli/args.h"
#include "cli/link_options.h"
#include "core/run_log.h"

#include <string>

namespace vela::cli {

// Opens --log FILE, else a new file in the user's state directory (keeping the last runs
// there), and writes the command line and the link. A log that cannot be opened is only
// worth a warning when the user asked for it by name.
void startRunLog(RunLog& log, const Args& args, int argc, char** argv, const LinkOptions& link);
void finishRunLog(RunLog& log, int exitCode);
// The link and the device it leads to, with the FTDI bridge's serial number where known.
std::string describeLink(const LinkOptions& link);

}  // namespace vela::cli
