#pragma once
// What the response plot shows of a preset, as panels to draw.

#include "plot/plot_panel.h"

#include <utility>
#include <vector>

namespace vela {

struct PresetParameters;

namespace plot {

// A magnitude and a phase panel per column: one column per output, or one for both outputs
// when combined. Every magnitude panel has the same scale.
// `smoothing`: the measured traces' levels smoothed to 1/N octave, 0 for none.
std::vector<std::pair<Panel, Panel>> responsePanels(const PresetParameters& p, bool combined, int smoothing = 0);

}  // namespace plot
}  // namespace vela
