#include "dsp/coefficient_word.h"

#include <cmath>

namespace vela::dsp {

std::uint32_t coefficientWord(double x) {
    // Scaling by a power of two is exact; the truncated value is reduced modulo 2^32 exactly
    // (fmod is exact) so that even absurdly large values keep their low bits, as the
    // unit's two's-complement words do, instead of overflowing a conversion.
    const double t = std::trunc(std::ldexp(x, 23));
    double low = std::fmod(t, 4294967296.0);
    if (low < 0) low += 4294967296.0;
    return static_cast<std::uint32_t>(low) & kCoefficientWordMask;
}

} // namespace vela::dsp
