#pragma once
// How far a summed response lies from its target: the sum smoothed to 1/6 octave (power
// averaged), its level matched to the target (the mean difference), and the RMS and the
// largest difference that remain over the range.

#include "preset/output_response.h"
#include "tune/target.h"

#include <span>
#include <vector>

namespace vela::tune {

// Frequencies spaced 1/48 octave from `low` to `high` (both included), with a smoothing
// margin of 1/12 octave beyond each end marked as not in the range.
struct FitGrid {
    std::vector<double> hz;
    std::vector<char> inRange;
    double low = 0, high = 0;
};
FitGrid fitGrid(double low, double high);

inline constexpr int kPointsPerOctave = 48;

// 1/6-octave power smoothing of a response, in dB.
std::vector<double> smoothedDb(const Response& r);

struct Figures {
    double rmsDb = 0, maxDb = 0;
    double offsetDb = 0; // the level match
};

// Over the points with `use` set (all of the range when empty).
Figures figures(const std::vector<double>& smoothed, const FitGrid& grid, const Target& target,
                const std::vector<char>& use = {});

} // namespace vela::tune
