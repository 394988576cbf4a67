#pragma once
// A copy of what the windows show, taken on the thread that owns the session when an
// operation ends, so that the windows never read the session while it works.

#include "core/session_state.h"
#include "ethernet/ethernet_module_state.h"
#include "preset/preset_parameters.h"
#include "session/connection_windows.h"

#include <array>
#include <string>

namespace vela {

class Session;

// "Status : USB", the Ethernet module's "ETHERNET: Connected with ...", "Status : Offline",
// or that the link was lost.
std::string linkStatusText(const SessionState& state, const EthernetModuleView& ethernet);

struct LibraryView {
    bool visible = false;
    int selectedRow = -1;
    bool modelListEnabled = false;
    bool sendPanelVisible = false;
    std::array<std::string, 13> names;
    std::string send1Caption;
    bool send1Enabled = false;
    // The unit's model code chose the row; only the service code frees the list.
    bool lockedToUnit = false;
    bool gaugesVisible = false;
    bool connectButtonVisible = true;
    bool passwordEditVisible = false;
    std::string openedFile;
    int programs = 0;  // byte 0 of the library buffer
    bool partialBuild = false;  // a build that a refused file stopped part-way
};

struct SessionView {
    SessionState state;
    ConnectionWindows windows;
    LibraryView library;
    EthernetModuleView ethernet;
    bool unitCommandsEnabled = false;
    // What every window's status line says of the link ("Status : USB", a lost link).
    std::string linkStatus = linkStatusText(state, ethernet);
    std::string commandOutcome;  // what the last unit command did
    // Why real-time mode last ended by itself, and how many times it has.
    std::string realTimeEnded;
    unsigned realTimeEndings = 0;
};

SessionView viewOf(const Session& session);

}  // namespace vela
