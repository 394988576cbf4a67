#pragma once
// 10^x as the designers compute it, exp(x ln 10): the last bits of a design depend on the way.

#include <cmath>
#include <numbers>

namespace vela::dsp {

inline double pow10(double x) {
    return std::exp(x * std::numbers::ln10);
}

} // namespace vela::dsp
