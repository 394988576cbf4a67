#include "link/device_link.h"

#include "link/timeouts.h"
#include "platform/timer_resolution.h"

#include <algorithm>
#include <chrono>

namespace vela {
namespace {

using Clock = std::chrono::steady_clock;

Millis remaining(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
    return std::clamp(left, Millis(0), timeouts::kPumpSlice);
}

}  // namespace

DeviceLink::DeviceLink(SessionState& s, UserInterface& u, LinkDevices devices)
    : state(s), ui(u), usb(*this, std::move(devices.usb)), serial(*this, std::move(devices.serial)),
      ethernet(*this, std::move(devices.ethernet)) {}

void DeviceLink::basicOffline() {
    state.PressedLinkTag = static_cast<std::int32_t>(LinkKind::Offline);
    state.Link = LinkKind::Offline;
    serial.SerialClose();
    state.UsbActive = state.EthernetActive = state.SerialActive = false;
    DisableUnitCommands();
}

void DeviceLink::runOfflineAction() {
    if (offlineAction)
        offlineAction();
    else
        basicOffline();
}

void DeviceLink::EnableUnitCommands() {
    if (state.SerialActive || state.UsbActive || state.EthernetActive) unitCommands.enabled = true;
}

bool DeviceLink::WaitForReply(bool report) {
    if (state.UsbActive) return usb.readReplyByte();
    if (state.EthernetActive) return waitForEthernetReply();
    return waitForSerialReply(report);
}

bool DeviceLink::waitForSerialReply(bool report) {
    const platform::TimerResolution fine;  // the poll's pauses end on time, not at the next system tick
    buffers.ByteReceived = false;
    buffers.ReplyTimedOut = false;
    const auto deadline = Clock::now() + timeouts::kReplyTimer;
    while (!buffers.ByteReceived) {
        // A port that is closed or went away brings no answer: fail now, not at the time-out.
        if (Clock::now() >= deadline || !serial.isOpen()) {
            buffers.ReplyTimedOut = true;
            break;
        }
        serial.pollReceive(remaining(deadline));
        ui.pump();
    }
    if (!buffers.ReplyTimedOut) return false;
    if (report) reportSerialFailure();
    return true;
}

void DeviceLink::reportSerialFailure() {
    ui.beep();
    ui.error("Comunication ERROR. Please verify that the COM port selected is correct and there isn't a USB "
             "Connected and your HALDA40 unit is in its Main Menu");
    runOfflineAction();
    ui.closeTransferWindow();
}

bool DeviceLink::waitForEthernetReply(std::size_t expected) {
    // A receive event since the last wait satisfies this one at once.
    const platform::TimerResolution fine;  // the settle time's waits end on time, not at the next tick
    buffers.ReplyTimedOut = false;
    const auto deadline = Clock::now() + timeouts::kReplyTimer;
    while (!buffers.EthernetDataReceived) {
        if (Clock::now() >= deadline) {
            buffers.ReplyTimedOut = true;
            return true;
        }
        // A connection the module closed or lost can bring no answer: say so now rather
        // than at the time-out, and abandon the operation, which adds no message of its own.
        if (!ethernet.pollReceive(remaining(deadline), expected) && !ethernet.isActive()) ethernet.abandon();
        ui.pump();
    }
    buffers.LastReplyByte = buffers.EthernetReceiveBuffer[0];
    buffers.EthernetDataReceived = false;
    return false;
}

bool DeviceLink::write(Channel channel, std::span<const std::uint8_t> bytes) {
    switch (channel) {
    case Channel::Usb: return usb.writeBytes(bytes);  // a failed FT_Write has been reported
    case Channel::Ethernet:
        // Only a socket that has failed refuses bytes.
        if (!ethernet.writeBytes(bytes)) ethernet.abandon();
        return true;
    case Channel::Serial:
        if (serial.SerialWrite(bytes.data(), bytes.size()) == bytes.size()) return true;
        reportSerialFailure();
        return false;
    }
    return false;
}

void DeviceLink::DropLink() {
    ui.closeTransferWindow();
    state.Link = LinkKind::Offline;
    state.UsbActive = state.EthernetActive = state.SerialActive = false;
    state.LinkLost = true;
    serial.SerialClose();
    ethernet.close();
    ui.status(StatusField::InfoLabel, "Status: Offline");
}

}  // namespace vela
