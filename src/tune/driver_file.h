#pragma once
// A driver's measurement read from its export file for the fit, in the format the file's name
// and the preset's import format say: FRD for .frd; FRD, then the preset's format, for .txt
// (where three columns of numbers are FRD); the preset's format for any other name.

#include "preset/acoustic_sum.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vela::tune {

struct DriverFile {
    DriverResponse driver;
    std::int32_t format = 0; // the import format it was read in
};

// Nothing, with `error` saying why, for a file that cannot be read or is no measurement.
// `sensitivity` in volts per pascal serves the dBu format.
std::optional<DriverFile> readDriverFile(const std::string& path, std::int32_t presetFormat,
                                         double sensitivity, std::string& error);

} // namespace vela::tune
