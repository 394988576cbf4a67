#include "session/session_view.h"

#include "session/session.h"

namespace vela {

std::string linkStatusText(const SessionState& st, const EthernetModuleView& ethernet) {
    if (st.UsbActive) return "Status : USB";
    if (st.EthernetActive)
        // Chosen, but no module connected yet (or the Ethernet window was closed without one).
        return ethernet.statusB.starts_with("ETHERNET: Connected") ? ethernet.statusB
                                                                   : "Status : ETHERNET, not connected";
    if (st.SerialActive) return st.Link == LinkKind::COM2 ? "Status : COM2" : "Status : COM1";
    return st.LinkLost ? "Status : Offline. The link to the HALDA40 was lost." : "Status : Offline";
}

SessionView viewOf(const Session& s) {
    SessionView v;
    v.state = s.state;
    v.windows = s.windows;
    v.unitCommandsEnabled = s.link.unitCommands.enabled;
    v.ethernet = s.ethernetModule.view;
    v.commandOutcome = s.commandOutcome;
    v.realTimeEnded = s.realTimeEnded;
    v.realTimeEndings = s.realTimeEndings;
    LibraryView& l = v.library;
    const LibraryWindowState& list = s.libraryWindow;
    const LibraryWindow& form = s.libraryForm;
    l.visible = list.visible;
    l.selectedRow = list.selectedRow;
    l.modelListEnabled = list.modelListEnabled;
    l.sendPanelVisible = list.sendPanelVisible;
    l.names = form.names;
    l.send1Caption = form.send1Caption;
    l.send1Enabled = form.send1Enabled();
    l.lockedToUnit = list.lockedByUnit && !list.modelListEnabled;
    l.gaugesVisible = form.gaugesVisible;
    l.connectButtonVisible = form.connectButtonVisible;
    l.passwordEditVisible = form.passwordEditVisible;
    l.openedFile = form.openedFile;
    l.programs = form.buffer[0];
    l.partialBuild = form.partialBuild();
    if (!s.windows.installerWindows) {
        // The designer alone: no link change brings up the installer's windows.
        v.windows.connectFormVisible = v.windows.ethernetFormVisible = false;
        l.visible = false;
    }
    v.linkStatus = linkStatusText(v.state, v.ethernet);
    return v;
}

}  // namespace vela
