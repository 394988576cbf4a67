#include "session/connection.h"

#include "link/send_program.h"
#include "session/identify.h"
#include "session/session.h"

namespace vela {
namespace {

bool probeUsb(Session& s) {
    return SendProgram(s.link, s.programImage, Channel::Usb, CommandCode::ProbeCommand, 0, 0, false) ==
           ExchangeResult::Success;
}

}  // namespace

void switchLink(Session& s, LinkKind tag) {
    SessionState& st = s.state;
    // Leaving the Ethernet link, or coming to it anew, leaves no module connected.
    if (tag == LinkKind::Offline || tag == LinkKind::USB || (tag == LinkKind::Ethernet && !st.EthernetActive))
        s.ethernetModule.view.statusB = EthernetModuleView{}.statusB;
    st.PressedLinkTag = static_cast<std::int32_t>(tag);
    st.LinkLost = false;
    st.Link = LinkKind::Offline;
    switch (tag) {
    case LinkKind::Offline:
        s.link.serial.SerialClose();
        st.UsbActive = st.EthernetActive = st.SerialActive = false;
        s.libraryWindow.visible = true;
        s.link.DisableUnitCommands();
        break;
    case LinkKind::USB:
        // A USB choice never inherits an Ethernet or serial state.
        switchLink(s, LinkKind::Offline);
        st.UsbActive = true;
        st.EthernetActive = st.SerialActive = false;
        s.link.usb.UsbConnect();
        s.libraryWindow.visible = true;
        break;
    case LinkKind::Ethernet:
        st.Link = LinkKind::Ethernet;
        st.UsbActive = st.SerialActive = false;
        st.EthernetActive = true;
        s.windows.ethernetButtonVisible = true;
        s.link.EnableUnitCommands();
        s.libraryWindow.visible = true;
        break;
    default:
        // COM1 and COM2 leave the link flags as they are.
        break;
    }
    s.windows.connectFormVisible = false;
    connectChosenLink(s);
}

void connectChosenLink(Session& s) {
    SessionState& st = s.state;
    UserInterface& ui = s.ui;
    if (st.UsbActive) {
        s.link.ethernet.close();
        if (!probeUsb(s)) {
            closeUsbIfOpen(s.link);
            ui.message(MessageKind::Plain, Buttons::Ok, "This is not a HALDA40 processor, It cannot communicate.");
            ui.status(StatusField::InfoLabel, "Status : Offline");
            switchLink(s, LinkKind::Offline);
        } else {
            const MemoryRead read = identifyUnit(s);
            if (read.content == MemoryContent::Unread) {
                closeUsbIfOpen(s.link);
                // A unit that stops answering in the middle of the read is not connected: say
                // why, go offline and offer the connection window again.
                if (st.UsbActive) {
                    ui.warning(read.failure + ".\nThe HALDA40 was closed. You need to Reconnect.");
                    ui.status(StatusField::InfoLabel, "Status : Offline");
                    switchLink(s, LinkKind::Offline);
                }
                s.windows.connectFormVisible = true;
            } else if (st.LibraryLoadLocked) {
                closeUsbIfOpen(s.link);
                ui.status(StatusField::ConnectedL, "Status : USB");
            } else {
                st.UsbActive = true;
                st.EthernetActive = st.SerialActive = false;
                s.link.usb.UsbConnect();
                if (st.UsbActive) probeUsb(s);  // its result is not used
                closeUsbIfOpen(s.link);
                s.libraryWindow.modelListEnabled = true;
                s.libraryWindow.sendPanelVisible = true;
                ui.status(StatusField::ConnectedL, "Status : USB");
            }
        }
        s.libraryWindow.visible = true;
    }
    if (st.EthernetActive) {
        st.EqRefreshSuppressed = false;
        s.windows.ethernetFormVisible = true;
    }
    if (st.Link == LinkKind::Offline && !st.UsbActive && !st.EthernetActive && !st.SerialActive) {
        s.link.ethernet.close();
        st.EqRefreshSuppressed = false;
        ui.status(StatusField::InfoLabel, "Status : Offline");
    }
    ui.closeTransferWindow();
}

}  // namespace vela
