#pragma once
// Parameter checks run before a design (internal to src/dsp). Each throws DesignError with a
// message that names the parameter, its value and the admitted range.

#include <cstdint>

namespace vela::dsp {

// The sample rate is a positive number of Hz.
void checkSampleRate(std::int32_t sampleRate);
// 0 < frequency < sampleRate/2; `what` names the parameter ("frequency", "section 2 frequency").
void checkFrequency(double frequency, std::int32_t sampleRate, const char* what = "frequency");
// Q > 0 and finite.
void checkQ(double q, const char* what = "Q");
// A finite gain in dB.
void checkGain(double gainDb, const char* what = "gain");
// A finite value of any other kind.
void checkFinite(double value, const char* what);

} // namespace vela::dsp
