#pragma once
// Makes the session a command works in, its channels leading where the link options say.

#include "cli/commands.h"
#include "session/link_choice.h"
#include "session/session.h"

#include <memory>

namespace vela::cli {

std::unique_ptr<Session> openSession(Context& ctx);
using vela::openSession;

}  // namespace vela::cli
