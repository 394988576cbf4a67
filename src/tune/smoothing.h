#pragma once
// Fractional-octave smoothing of a measured level curve, as measurement programs show it: at
// each point the power mean over the band 1/N octave wide centred on it.

#include <span>
#include <vector>

namespace vela::tune {

// `hz` rising; `fraction` N of 1/N octave, 0 for none.
std::vector<double> smoothedOctave(std::span<const double> hz, std::span<const double> db, int fraction);

} // namespace vela::tune
