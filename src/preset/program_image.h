#pragma once
// generateProgramImage: the DSP data block that the unit stores for a program, built from the model
// and the designers' coefficient tables into the shared transmit buffer. It never designs
// anything and never changes the model.

#include "core/session_state.h"
#include "preset/preset_parameters.h"

#include <cstddef>
#include <cstdint>

namespace vela {

inline constexpr std::size_t kImageLength = 3568;         // the length field's value
inline constexpr std::size_t kImageBytes = kImageLength + 2;  // what a library slot keeps
inline constexpr std::size_t kCoefficientBlockAt = 100;
inline constexpr std::size_t kCoefficientWords = 770;
inline constexpr std::size_t kParameterBlockAt = kCoefficientBlockAt + 4 * kCoefficientWords;  // 3180
inline constexpr std::size_t kParameterBlockSize = 180;

// Writes bytes 0 to 3568 of the image; bytes 52 to 99 and 3569 keep what the buffer held.
void generateProgramImage(const PresetParameters& p, std::int32_t sampleRate, ProgramImage& image);

}  // namespace vela
