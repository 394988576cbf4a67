#pragma once
// The frequency response of a cascade of sections on the shared 401-point grid, which the
// equaliser, crossover and loudness editors draw.

#include "dsp/sos.h"

#include <array>
#include <complex>
#include <cstdint>
#include <span>

namespace vela::dsp {

inline constexpr int kResponsePoints = 401; // i = 0..400

// One curve: magnitude in dB or phase in radians, as 32-bit floats, one per grid point.
using ResponseCurve = std::array<float, kResponsePoints>;

// 401 whole-Hz frequencies spaced evenly in log10 from 20 Hz to Round(fs/2) - 1 (23999 Hz at
// 48 kHz), each with its z^-1 = exp(-j 2 pi F / fs). Built once (the equaliser defaults).
class ResponseGrid {
  public:
    explicit ResponseGrid(std::int32_t sampleRate);

    std::int32_t sampleRate() const { return sampleRate_; }
    // The grid frequency of point i, a whole number of Hz.
    std::int32_t frequency(int i) const { return frequencies_[static_cast<std::size_t>(i)]; }
    const std::array<std::int32_t, kResponsePoints>& frequencies() const { return frequencies_; }
    std::complex<double> zInverse(int i) const { return zInverse_[static_cast<std::size_t>(i)]; }

  private:
    std::int32_t sampleRate_;
    std::array<std::int32_t, kResponsePoints> frequencies_{};
    std::array<std::complex<double>, kResponsePoints> zInverse_{};
};

// Sets both curves to 0, then adds each section's 20 log10|H| (values below 1e-8 in magnitude
// become exactly 0) and atan2(Im H, Re H) (-pi for a negative real H). The span holds exactly
// the sections to use, at most eight.
void ComputeResponse(const ResponseGrid& grid, std::span<const TSOS* const> sections,
                     ResponseCurve& magnitude, ResponseCurve& phase);

// A phase in radians as the crossover editor shows it: in degrees, wrapped
// by phi*180/pi - 360*Int(phi/(2 pi) + 0.5*sign(phi)), sign(phi) = +1 for phi >= 0.
double WrappedPhaseDegrees(double phi);

} // namespace vela::dsp
