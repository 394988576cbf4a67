#pragma once
// What a preset as it stands has to warn of, whichever edit came last: an output whose RMS
// limiter lets more power out than its loudspeaker takes, and peak limiter tables that were not
// designed from the peak settings (opening a file keeps the tables New made). Also the power
// check's report of each output, as the dynamics editor shows it.

#include "preset/preset_parameters.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

// The peak object's gain table is the one its own settings design.
bool peakTableFollowsSettings(const dsp::TDYNAMIC& peak);

// The warnings of outputs 1 and 2, output 1 first; empty when there is nothing to say.
std::vector<std::string> standingWarnings(const PresetParameters& p, std::int32_t sampleRate);

// The power check's report of output `out` (0 or 1): maximum RMS output power and voltage,
// maximum peak voltage, in the check's own words.
struct DynamicsReport {
    std::vector<std::string> lines;
    bool exceedsBoxPower = false;
};
DynamicsReport dynamicsReport(const PresetParameters& p, int out);

}  // namespace vela
