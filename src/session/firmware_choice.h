#pragma once
// The DSP operating system a run sends: the built-in text or a file.

#include "link/firmware_image.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vela {

// A stand-in text goes only to the simulated unit, or with `force`; otherwise `refusal` says
// why not.
struct FirmwareChoice {
    std::optional<FirmwareImage> image;
    std::string source;  // the file's name, or "the built-in DSP operating system"
    std::string refusal; // empty when the image may be sent
};
FirmwareChoice chooseFirmware(const std::optional<std::filesystem::path>& file, bool simulatedUnit,
                              bool force);

} // namespace vela
