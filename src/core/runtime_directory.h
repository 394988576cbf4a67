#pragma once
// Qt wants a per-user runtime directory for anything that draws. Started without a desktop
// session (a service bench over ssh, sudo, a script) XDG_RUNTIME_DIR is unset, and Qt then
// uses a private directory under the temporary directory with a warning on every run.

namespace vela {

// When XDG_RUNTIME_DIR is unset, sets it to a private directory under the temporary directory,
// made if need be, provided it is this user's alone. Call it before the application object.
void provideRuntimeDirectory();

}  // namespace vela
