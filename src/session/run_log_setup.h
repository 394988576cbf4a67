#pragma once
// A run's log, the command line's and the window's: where it goes, and its first and last lines.

#include "core/args.h"
#include "session/link_options.h"
#include "core/run_log.h"

#include <string>

namespace vela {

// Opens --log FILE, else a new file in the user's state directory (keeping the last runs
// there), and writes the command line and the link. A log that cannot be opened is only
// worth a warning when the user asked for it by name.
void startRunLog(RunLog& log, const Args& args, int argc, char** argv, const LinkOptions& link);
void finishRunLog(RunLog& log, int exitCode);
// The link and the device it leads to, with the FTDI bridge's serial number where known.
std::string describeLink(const LinkOptions& link);

}  // namespace vela
