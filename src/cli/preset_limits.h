#pragma once
// preset set: the value a parameter holds after an edit, in the units the user gave it, so
// that a value the control limited to its range can be reported.

#include "preset/preset_parameters.h"

#include <optional>
#include <string>
#include <vector>

namespace vela::cli {

// The stored value of a numeric parameter named as preset set names it, split at the dots;
// nothing for texts, switches, lists and names it does not know.
std::optional<double> storedValue(const PresetParameters& p, std::int32_t sampleRate,
                                  const std::vector<std::string>& name);
// "eq.1.1.gain: 20 was limited to 12" when `stored` is not
// `requested` beyond the control's rounding to its steps; nothing otherwise.
std::optional<std::string> limitMessage(const std::string& name, double requested, double stored);

}  // namespace vela::cli
