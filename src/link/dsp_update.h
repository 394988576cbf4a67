#pragma once
// UpdateDspOperatingSystem: writes the firmware image as program 15, then resets the DSP,
// over every active link in the order USB, Ethernet, serial.

#include "core/session_state.h"
#include "link/device_link.h"
#include "link/firmware_image.h"

namespace vela {

// Copies the firmware to the start of `image` and sends it. The exchanges report their own
// failures; the result is true when every active link took the image and the reset.
bool UpdateDspOperatingSystem(DeviceLink& link, ProgramImage& image, const FirmwareImage& firmware);

}  // namespace vela
