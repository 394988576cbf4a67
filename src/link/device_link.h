#pragma once
// The device-link subsystem of one session: the three channels, their buffers and reply
// flags, the reply wait and the link-lost handler.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "link/channel_buffers.h"
#include "link/ethernet_channel.h"
#include "link/exchange.h"
#include "link/serial_channel.h"
#include "link/usb_channel.h"

#include <functional>

namespace vela {

// What the channels lead to: chosen by the front end (real hardware, a pseudo-terminal,
// the simulated unit).
struct LinkDevices {
    FtdiDriver::Locator usb;
    std::unique_ptr<ByteChannel> serial;
    EthernetChannel::SocketFactory ethernet;
};

// Whether the commands that talk to the unit may start: locked around every command and
// always together, so one flag carries them all. Which controls follow it is the windows'.
struct UnitCommands {
    bool enabled = false;
};

class DeviceLink {
public:
    DeviceLink(SessionState& state, UserInterface& ui, LinkDevices devices);
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    SessionState& state;
    UserInterface& ui;
    ChannelBuffers buffers;
    UsbChannel usb;
    SerialChannel serial;
    EthernetChannel ethernet;
    UnitCommands unitCommands;

    // The connection window's offline selection; the session installs the full procedure.
    std::function<void()> offlineAction;
    void runOfflineAction();

    // One reply byte on the active channel into LastReplyByte; false on success, true on
    // failure. `report` applies to the serial channel only.
    bool WaitForReply(bool report);
    bool waitForSerialReply(bool report);
    // `expected`: how many bytes the step waits for (one answer byte, or the rest of a data
    // block); the receive event ends as soon as they have come. A connection that is lost
    // during the wait abandons the operation at once (EthernetChannel::abandon).
    bool waitForEthernetReply(std::size_t expected = 1);
    // Bytes out in one write on `channel`; false, after the channel's own report, when they
    // could not all go out. A failed TCP socket abandons the operation instead.
    bool write(Channel channel, std::span<const std::uint8_t> bytes);
    // The serial line failed: beep, the COM error dialog, offline.
    void reportSerialFailure();
    void DropLink();

    void DisableUnitCommands() { unitCommands.enabled = false; }
    void EnableUnitCommands();

private:
    void basicOffline();
};

}  // namespace vela
