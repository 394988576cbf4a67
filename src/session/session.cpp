#include "session/session.h"

#include "platform/folders.h"
#include "session/connection.h"

namespace vela {

Session::Session(UserInterface& u, LinkDevices devices) : ui(u), link(state, u, std::move(devices)) {
    state.TempPath = platform::temporaryFolder();
    // Every channel's link-lost path runs the connection window's offline selection.
    link.offlineAction = [this] { switchLink(*this, LinkKind::Offline); };
}

}  // namespace vela
