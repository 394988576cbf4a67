#pragma once
// The FTDI USB-serial bridge as the transfer procedures use it: each call reports a failing
// status to the user and returns it.

#include "link/ftdi.h"

#include <string_view>

namespace vela {

class DeviceLink;

struct UsbSettings {
    int deviceIndex = 0;
    std::uint32_t baud = 57600;
    std::uint8_t wordLength = FT_BITS_8;
    std::uint8_t stopBits = FT_STOP_BITS_1;
    std::uint8_t parity = FT_PARITY_NONE;
    std::uint16_t flowControl = FT_FLOW_NONE;
    std::uint8_t xon = 0x11;
    std::uint8_t xoff = 0x13;
    std::uint8_t eventChar = 0;
    std::uint8_t eventCharEnabled = 0;
    std::uint8_t errorChar = 0;
    std::uint8_t errorCharEnabled = 0;
    std::uint32_t readTimeoutMs = 1000;
    std::uint32_t writeTimeoutMs = 1000;
    bool reportErrors = true;
};

// The message for a failing FTDI status: the caller's text and the status's suffix.
std::string usbErrorMessage(std::string_view callerText, FT_STATUS status);

class UsbChannel {
public:
    UsbChannel(DeviceLink& link, FtdiDriver::Locator locator);

    FT_STATUS UsbOpen();
    FT_STATUS UsbClose();
    FT_STATUS UsbSetRts();
    FT_STATUS UsbSetDtr();
    FT_STATUS UsbSetBaudRate();
    FT_STATUS UsbSetDataCharacteristics();
    FT_STATUS UsbSetFlowControl();
    FT_STATUS UsbSetChars();
    FT_STATUS UsbSetTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    // Sends the first n bytes of UsbSendBuffer; returns how many went out.
    std::uint32_t UsbWrite(std::uint32_t n);
    // Reads up to n bytes into UsbReceiveBuffer; returns how many came.
    std::uint32_t UsbRead(std::uint32_t n);

    // `detail`, when given, follows on its own line: why the system refused.
    void ReportUsbError(std::string_view callerText, FT_STATUS status, std::string_view detail = {});
    // Opens the bridge, applies the settings and closes it; goes offline when it cannot.
    void UsbConnect();

    // Sends bytes through UsbSendBuffer; true when all went out.
    bool writeBytes(std::span<const std::uint8_t> bytes);
    // One reply byte into LastReplyByte. Returns true on failure, also when nothing came:
    // a stale byte from an earlier answer must never pass for a reply.
    bool readReplyByte();
    // Collects `wanted` bytes into dest in reads of up to 64; true on failure. Gives up
    // when a read brings nothing within the read time-out, so a silent unit cannot hang us.
    bool readBlock(std::uint8_t* dest, std::size_t wanted);

    bool isOpen() const { return driver_.isOpen(); }
    FtdiDriver& driver() { return driver_; }
    UsbSettings settings;

private:
    FT_STATUS check(std::string_view callerText, FT_STATUS status);

    DeviceLink& link_;
    FtdiDriver driver_;
    FT_HANDLE handle_ = 0;
};

}  // namespace vela
