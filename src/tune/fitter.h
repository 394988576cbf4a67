#pragma once
// The fit of a two-way cabinet to its measured drivers: the crossover (alignment, order and
// frequency of the edge between the drivers, from the preset's own designers), the output
// levels, delay and polarity, then up to eight equaliser bands per output, every value on the
// step its control stores. It works on a copy of the model and returns the edits, as
// parameter names and values that the procedures take; it needs no window and runs on any
// thread.

#include "core/session_state.h"
#include "preset/acoustic_sum.h"
#include "tune/deviation.h"
#include "tune/target.h"

#include <array>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace vela::tune {

struct FitOptions {
    double low = 150.0, high = 15000.0; // Hz
    Target target = Target::flat();
    bool keepCrossover = false; // the edges between the drivers stay as they are
    bool keepEqualiser = false; // the equaliser bands stay as they are
    bool keepAlignment = false; // the outputs' delays and polarities stay as they are
    double maxBoostDb = 6.0;    // no band lifts more than this
    int bandsPerOutput = 8;
    // Each output equalised toward the target through its own crossover, from its driver's
    // magnitude alone: for measurements without phase. The crossover and the alignment stay;
    // the sum is not judged.
    bool magnitudeOnly = false;
};

// What the fit cannot work with, said before it starts: nothing when the inputs serve.
std::optional<std::string> refusal(const std::array<DriverResponse, 2>& drivers, const FitOptions& options);

struct Edit {
    std::string key, value; // as preset set takes them
};

struct EdgeChoice {
    std::uint8_t alignment = 0; // the crossover's alignment code
    int order = 0;
    int hz = 0;
};

struct BandChoice {
    int hz = 0;
    double gainDb = 0, q = 0;
};

struct OutputChoice {
    bool lowPass = false; // which edge was chosen: the woofer's low-pass or the tweeter's high-pass
    EdgeChoice edge;
    double levelDb = 0;
    bool inverted = false;
    int delaySamples = 0;
    std::vector<BandChoice> bands; // the bands the fit uses, in band order
};

struct FrequencyRange {
    double low = 0, high = 0;
};

struct FitResult {
    std::vector<Edit> edits;
    std::array<OutputChoice, 2> outputs;
    Figures before, after; // over the range
    // Where the drivers cannot follow the target; the figures leave these out when any.
    std::vector<FrequencyRange> unreachable;
    bool stopped = false; // the stop token ended the fit: apply nothing
    ProgramImage image{}; // the image of the preset with the edits applied
};

// Percent done (0..100) and what is being fitted.
using FitProgress = std::function<void(int percent, std::string_view step)>;

// Fits `preset` (outputs 1 and 2 with drivers[0] and drivers[1]). Throws std::invalid_argument
// with the refusal's text when the inputs do not serve.
FitResult fitCabinet(const PresetParameters& preset, const std::array<DriverResponse, 2>& drivers,
                     const FitOptions& options, std::stop_token stop = {}, const FitProgress& progress = {});

// Applies edits through the parameters' procedures, as preset set does. Throws
// std::invalid_argument for a name no parameter has.
void applyEdits(PresetParameters& p, const std::vector<Edit>& edits);

// A response's figures against a target, over the range and outside the unreachable ranges;
// for a magnitude-only fit, of both outputs against the target through their crossovers.
Figures figuresOf(const PresetParameters& p, const std::array<DriverResponse, 2>& drivers,
                  const FitOptions& options, const std::vector<FrequencyRange>& unreachable = {});

} // namespace vela::tune
