#include "dsp/design_checks.h"

#include "dsp/design_error.h"
#include "dsp/number_text.h"

#include <cmath>
#include <string>

namespace vela::dsp {

void checkSampleRate(std::int32_t sampleRate) {
    if (sampleRate <= 0)
        throw DesignError("sample rate " + std::to_string(sampleRate) + " Hz is not a positive number");
}

void checkFrequency(double frequency, std::int32_t sampleRate, const char* what) {
    checkSampleRate(sampleRate);
    const double nyquist = sampleRate / 2.0;
    if (!(frequency > 0.0 && frequency < nyquist))
        throw DesignError(std::string(what) + " " + plainText(frequency) + " Hz is outside 0 < f < " +
                          plainText(nyquist) + " Hz (half the sample rate)");
}

void checkQ(double q, const char* what) {
    if (!(q > 0.0 && std::isfinite(q)))
        throw DesignError(std::string(what) + " " + plainText(q) + " is not a positive number");
}

void checkGain(double gainDb, const char* what) {
    checkFinite(gainDb, what);
}

void checkFinite(double value, const char* what) {
    if (!std::isfinite(value))
        throw DesignError(std::string(what) + " " + plainText(value) + " is not a finite number");
}

} // namespace vela::dsp
