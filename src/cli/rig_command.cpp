// velaupdate rig: the commands that work on every cabinet of a networked rig at once.
#include "cli/commands.h"

#include <stdexcept>

namespace vela::cli {

int runRig(Context& ctx) {
    if (ctx.args.positional.empty()) throw std::invalid_argument("rig needs a subcommand: load");
    const std::string sub = ctx.args.positional.front();
    if (sub == "load") return runRigLoad(ctx);
    throw std::invalid_argument("rig: unknown subcommand '" + sub + "' (load)");
}

} // namespace vela::cli
