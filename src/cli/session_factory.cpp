#include "cli/session_factory.h"

namespace vela::cli {

std::unique_ptr<Session> openSession(Context& ctx) { return vela::openSession(ctx.ui, ctx.link); }

}  // namespace vela::cli
