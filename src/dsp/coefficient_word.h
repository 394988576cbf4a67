#pragma once
// The unit's coefficient word: w = Trunc(x * 2^23) toward zero, kept as its low 28 bits, that
// is 5.23 two's-complement fixed point (1.0 is 0x00800000, -1.0 is 0x0F800000, values outside
// -16..+16 wrap). It travels as four bytes, most significant first, in the DSP data block
// and in real-time frames.

#include <cstdint>

namespace vela::dsp {

inline constexpr std::uint32_t kCoefficientWordMask = 0x0FFFFFFF;

// The word of x; x must be finite (the designers never hand out anything else).
std::uint32_t coefficientWord(double x);

} // namespace vela::dsp
