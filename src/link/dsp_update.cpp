#include "link/dsp_update.h"

#include "link/send_program.h"

#include <algorithm>

namespace vela {

bool UpdateDspOperatingSystem(DeviceLink& link, ProgramImage& image, const FirmwareImage& firmware) {
    std::copy(firmware.begin(), firmware.end(), image.begin());
    auto send = [&](Channel channel, CommandCode code, std::uint8_t program, std::uint16_t length, bool show) {
        return SendProgram(link, image, channel, code, program, length, show) == ExchangeResult::Success;
    };
    constexpr auto length = static_cast<std::uint16_t>(kFirmwareSize);
    bool ok = true;
    if (link.state.UsbActive) {
        link.usb.UsbConnect();
        // A bridge that cannot be opened has been reported and the link is offline now.
        if (!link.state.UsbActive) return false;
        if (!send(Channel::Usb, CommandCode::DspProgramCommand, kFirmwareProgramNumber, length, true) ||
            !send(Channel::Usb, CommandCode::ResetCommand, 0, 0, true)) {
            closeUsbIfOpen(link);
            return false;
        }
        link.ui.gaugeMaximum(Gauge::ProgressBar, 100);
        link.ui.gaugePosition(Gauge::ProgressBar, 100);
    }
    if (link.state.EthernetActive) {
        if (!send(Channel::Ethernet, CommandCode::DspProgramCommand, kFirmwareProgramNumber, length, true) ||
            !send(Channel::Ethernet, CommandCode::ResetCommand, 0, 0, true))
            return false;
        link.ui.gaugeMaximum(Gauge::ProgressBar, 100);
        link.ui.gaugePosition(Gauge::ProgressBar, 100);
    }
    if (link.state.SerialActive) {
        ok = send(Channel::Serial, CommandCode::DspProgramCommand, kFirmwareProgramNumber, length, false) &&
             send(Channel::Serial, CommandCode::ResetCommand, 0, 0, true);
    }
    return ok;
}

}  // namespace vela
