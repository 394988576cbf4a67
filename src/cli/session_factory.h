#pragma once
// Makes the session a command works in, its channels leading where the link options say.

#include "cli/commands.h"
#include "session/session.h"

#include <memory>

namespace vela::cli {

std::unique_ptr<Session> openSession(Context& ctx);
// The same for a front end of its own (the window).
std::unique_ptr<Session> openSession(UserInterface& ui, const LinkOptions& link);

}  // namespace vela::cli
