#include "cli/session_factory.h"

#include "sim/in_process_unit.h"

namespace vela::cli {

std::unique_ptr<Session> openSession(Context& ctx) {
    // --sim: every channel leads to a simulated unit running inside this process.
    if (ctx.link.sim) return std::make_unique<Session>(ctx.ui, sim::inProcessDevices(std::make_shared<sim::InProcessUnit>()));
    return std::make_unique<Session>(ctx.ui, hardwareDevices(ctx.link));
}

}  // namespace vela::cli
