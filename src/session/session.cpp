#include "session/session.h"

namespace vela {

Session::Session(UserInterface& u, LinkDevices devices) : ui(u), link(state, u, std::move(devices)) {
    state.TempPath = platformTempPath();
}

}  // namespace vela
