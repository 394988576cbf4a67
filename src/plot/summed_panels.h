#pragma once
// What the designer's summed view shows: each measured driver ("Driver N"), each output
// through its processing and its driver ("Output N"), and their sum with phase, over the
// target and its tolerance band; the phase and the group delay under the magnitude.

#include "plot/plot_panel.h"
#include "preset/acoustic_sum.h"
#include "tune/target.h"

#include <array>
#include <optional>
#include <vector>

namespace vela::plot {

struct SummedOptions {
    int smoothing = 6; // 1/N octave for the measured traces, 0 for none
    tune::Target target = tune::Target::flat();
    double toleranceDb = 1.0;
    double low = 150, high = 15000; // where the target is level matched to the sum
};

// Another measurement of an output's driver (off axis, another sample), drawn through the
// output's processing beside the one the sum and the fit use.
struct Overlay {
    int output = 0; // 0 or 1
    QString name;
    DriverResponse driver;
};

struct SummedPanels {
    Panel magnitude, phase, groupDelay;
    // The sum at the view's frequencies, less the flight time both measurements share (as the
    // phase panel draws it), for the cursor's read-out; empty without one.
    std::vector<double> hz;
    Response sum;
    std::vector<double> groupDelayMs;
};

// `drivers` nothing: no measurement to sum, said in the panels.
SummedPanels summedPanels(const PresetParameters& p, const std::optional<std::array<DriverResponse, 2>>& drivers,
                          const SummedOptions& options, const std::vector<Overlay>& overlays = {});

} // namespace vela::plot
