#include "preset/preset_parameters.h"

#include "core/session_state.h"
#include "dsp/filter_types.h"

namespace vela {

const std::array<std::string_view, 17> kFilterListTexts = [] {
    std::array<std::string_view, 17> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = dsp::kFilterList[i].text;
    return texts;
}();

const std::array<std::string_view, 5> kAlignmentListTexts = {"ByPass", "ButtW", "L-Riley", "Bessel", "Custom"};

PresetParameters::PresetParameters() {
    // The designer objects exist from the start, with their real-time addresses, so that
    // opening a preset or building a library before any New finds them ready.
    for (int out = 0; out < kOutputs; ++out) {
        for (int b = 1; b <= kBandsPerOutput; ++b) band(out, b).DspAddress = 5 * b + (out == 0 ? 6 : 46);
        Crossovers[static_cast<std::size_t>(out)].AssignAddresses(out + 1);
    }
    for (auto& s : Loudness) s.DspAddress = 116;
    // The dynamics objects start as New leaves them: their constructor's gate lies outside the
    // gain table.
    for (auto& d : RmsDynamics) d.ApplyRmsDefaults(kSampleRate);
    for (auto& d : PeakDynamics) d.ApplyPeakDefaults(kSampleRate);
}

}  // namespace vela
