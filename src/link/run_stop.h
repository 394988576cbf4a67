#pragma once
// What a run does when the user stops it: the channels are closed after an exchange cut
// short, the operating-system update is not cut by a first request, and the summary says
// which memories were written.

#include "core/session_state.h"
#include "link/device_link.h"
#include "link/firmware_image.h"

#include <string>
#include <vector>

namespace vela {

inline constexpr const char* kOperatingSystemStopWarning =
    "Stopping now can leave the HALDA40 blocked: the DSP Operating System is being written. The update goes on; "
    "stop again to cut it short anyway.";

// After an exchange was cut short: the bridge, the serial port and the TCP link are closed
// and the transfer window too. The unit gives up the exchange by itself.
void closeAfterStop(DeviceLink& link);

enum class OperatingSystemUpdate { Sent, Failed, CutShort };

// UpdateDspOperatingSystem under a critical stretch: a first stop request only warns; a
// second one cuts the transfer, which leaves the unit without a whole operating system.
OperatingSystemUpdate updateOperatingSystem(DeviceLink& link, ProgramImage& image, const FirmwareImage& firmware);
inline constexpr const char* kOperatingSystemCutShort =
    "the DSP Operating System transfer was cut short: the HALDA40 may stay blocked until its operating system is "
    "sent again";

// "Memories written: 1, 2, 3; memories 4 to 13 keep their old programs" or "No memory was
// written", for a run that was to write memories 1 to `total` in order.
std::string writtenMemoriesText(const std::vector<int>& written, int total);

}  // namespace vela
