#include "link/usb_channel.h"

#include "link/device_link.h"

#include <algorithm>

namespace vela {

std::string usbErrorMessage(std::string_view callerText, FT_STATUS status) {
    static constexpr const char* kSuffix[] = {"",
                                              " - Invalid Handle...",
                                              " - Device Not Found....",
                                              " - Device Not Opened...",
                                              " - General IO Error...",
                                              " - Insufficient Resources...",
                                              " - Invalid Parameter ..."};
    std::string text(callerText);
    if (status < std::size(kSuffix)) text += kSuffix[status];
    return text;
}

UsbChannel::UsbChannel(DeviceLink& link, FtdiDriver::Locator locator)
    : link_(link), driver_(std::move(locator)) {}

void UsbChannel::ReportUsbError(std::string_view callerText, FT_STATUS status, std::string_view detail) {
    if (status == FT_OK || !settings.reportErrors) return;
    std::string text = usbErrorMessage(callerText, status);
    if (!detail.empty()) text.append("\n").append(detail);
    link_.runOfflineAction();
    link_.ui.error(text);
}

FT_STATUS UsbChannel::check(std::string_view callerText, FT_STATUS status) {
    // Which device failed and why (refused, busy, gone), where the system can tell.
    ReportUsbError(callerText, status, driver_.lastError());
    return status;
}

FT_STATUS UsbChannel::UsbOpen() {
    return check("Can't open the USB. Please verify that the USB is connected and your Box is switch on",
                 driver_.FT_Open(settings.deviceIndex, &handle_));
}

FT_STATUS UsbChannel::UsbClose() { return check("FT_Close", driver_.FT_Close(handle_)); }
FT_STATUS UsbChannel::UsbSetRts() { return check("FT_SetRTS", driver_.FT_SetRts(handle_)); }
FT_STATUS UsbChannel::UsbSetDtr() { return check("FT_SetDTR", driver_.FT_SetDtr(handle_)); }

FT_STATUS UsbChannel::UsbSetBaudRate() {
    return check("FT_SetBaudRate", driver_.FT_SetBaudRate(handle_, settings.baud));
}

FT_STATUS UsbChannel::UsbSetDataCharacteristics() {
    return check("FT_SetDataCharacteristics", driver_.FT_SetDataCharacteristics(handle_, settings.wordLength,
                                                                                settings.stopBits,
                                                                                settings.parity));
}

FT_STATUS UsbChannel::UsbSetFlowControl() {
    return check("FT_SetFlowControl",
                 driver_.FT_SetFlowControl(handle_, settings.flowControl, settings.xon, settings.xoff));
}

FT_STATUS UsbChannel::UsbSetChars() {
    return check("FT_SetChars", driver_.FT_SetChars(handle_, settings.eventChar, settings.eventCharEnabled,
                                                    settings.errorChar, settings.errorCharEnabled));
}

FT_STATUS UsbChannel::UsbSetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    return check("Comunication ERROR. Please verify that the USB port is correct",
                 driver_.FT_SetTimeouts(handle_, readMs, writeMs));
}

std::uint32_t UsbChannel::UsbWrite(std::uint32_t n) {
    std::uint32_t written = 0;
    n = std::min<std::uint32_t>(n, kUsbBufferSize);
    check("USB Write Failed", driver_.FT_Write(handle_, link_.buffers.UsbSendBuffer.data(), n, &written));
    return written;
}

std::uint32_t UsbChannel::UsbRead(std::uint32_t n) {
    std::uint32_t received = 0;
    n = std::min<std::uint32_t>(n, kUsbBufferSize);
    check("USB Read Failed", driver_.FT_Read(handle_, link_.buffers.UsbReceiveBuffer.data(), n, &received));
    return received;
}

void UsbChannel::UsbConnect() {
    // A bridge left open by an exchange that failed would refuse this open.
    if (isOpen()) UsbClose();
    const auto offline = [this] {
        // The error has been reported, which already ran the offline selection.
        link_.state.UsbActive = false;
        link_.state.Link = LinkKind::Offline;
    };
    if (UsbOpen() != FT_OK) return offline();
    // A bridge that refuses a setting would garble every byte: stop at the first refusal.
    const bool set = UsbSetBaudRate() == FT_OK && UsbSetRts() == FT_OK && UsbSetDtr() == FT_OK &&
                     UsbSetDataCharacteristics() == FT_OK && UsbSetFlowControl() == FT_OK &&
                     UsbSetChars() == FT_OK &&
                     UsbSetTimeouts(settings.readTimeoutMs, settings.writeTimeoutMs) == FT_OK;
    if (UsbClose() != FT_OK || !set) return offline();
    link_.state.UsbActive = true;
    link_.state.Link = LinkKind::USB;
    link_.EnableUnitCommands();
}

bool UsbChannel::writeBytes(std::span<const std::uint8_t> bytes) {
    const auto n = static_cast<std::uint32_t>(std::min(bytes.size(), kUsbBufferSize));
    std::copy_n(bytes.begin(), n, link_.buffers.UsbSendBuffer.begin());
    return UsbWrite(n) == n;
}

bool UsbChannel::readReplyByte() {
    if (UsbSetTimeouts(1000, 1000) != FT_OK) return true;
    if (UsbRead(1) != 1) return true;
    link_.buffers.LastReplyByte = link_.buffers.UsbReceiveBuffer[0];
    return false;
}

bool UsbChannel::readBlock(std::uint8_t* dest, std::size_t wanted) {
    std::size_t got = 0;
    while (got < wanted) {
        const std::uint32_t n = UsbRead(static_cast<std::uint32_t>(std::min<std::size_t>(64, wanted - got)));
        if (n == 0) return true;
        std::copy_n(link_.buffers.UsbReceiveBuffer.begin(), n, dest + got);
        got += n;
    }
    return false;
}

}  // namespace vela
