#include "cli/session_factory.h"

#include <stdexcept>

namespace vela::cli {

std::unique_ptr<Session> openSession(Context& ctx) {
    if (ctx.link.sim) throw std::invalid_argument("--sim: the simulated unit is not part of this build yet");
    return std::make_unique<Session>(ctx.ui, hardwareDevices(ctx.link));
}

}  // namespace vela::cli
