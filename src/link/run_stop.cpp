#include "link/run_stop.h"

#include "link/dsp_update.h"
#include "link/send_program.h"

namespace vela {

void closeAfterStop(DeviceLink& link) {
    closeUsbIfOpen(link);
    link.serial.SerialClose();
    link.ethernet.close();
    link.ui.closeTransferWindow();
}

OperatingSystemUpdate updateOperatingSystem(DeviceLink& link, ProgramImage& image, const FirmwareImage& firmware) {
    const StopRequest::Critical critical(link.ui.stop, kOperatingSystemStopWarning);
    try {
        return UpdateDspOperatingSystem(link, image, firmware) ? OperatingSystemUpdate::Sent
                                                               : OperatingSystemUpdate::Failed;
    } catch (const RunStopped&) {
        closeAfterStop(link);
        return OperatingSystemUpdate::CutShort;
    }
}

std::string writtenMemoriesText(const std::vector<int>& written, int total) {
    if (written.empty()) return "No memory was written";
    std::string text = "Memories written: ";
    for (std::size_t i = 0; i < written.size(); ++i) text += (i ? ", " : "") + std::to_string(written[i]);
    const int next = written.back() + 1;
    if (next < total)
        text += "; memories " + std::to_string(next) + " to " + std::to_string(total) + " keep their old programs";
    else if (next == total)
        text += "; memory " + std::to_string(total) + " keeps its old program";
    return text;
}

}  // namespace vela
