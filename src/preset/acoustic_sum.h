#pragma once
// What a listener in front of the cabinet hears: each output's transfer function times its
// driver's measured response (magnitude and phase), the two summed as pressures.

#include "preset/measurement_import.h"
#include "preset/output_response.h"

#include <array>
#include <complex>
#include <stdexcept>

namespace vela {

// A driver's measured response, frequencies rising. The phase is kept without the delay that
// turns it fastest (the time of flight an export may keep), unwrapped along the points.
struct DriverResponse {
    std::vector<double> hz, db, radians;
    double delay = 0.0; // seconds, taken out of `radians`
    bool hasPhase = true;

    double lowest() const { return hz.empty() ? 0.0 : hz.front(); }
    double highest() const { return hz.empty() ? 0.0 : hz.back(); }
    // Interpolated on a logarithmic frequency axis (magnitude in dB, unwrapped phase); the end
    // values outside the measured range.
    std::complex<double> at(double f) const;
    Response at(std::span<const double> f) const;
};

// From a curve as parsed (frequencies in any order are sorted; the format says whether phase is
// in degrees). `hasPhase` false: the file carried no phase.
DriverResponse driverResponse(const MeasuredCurve& curve, bool phaseInDegrees, bool hasPhase);

// Phase is what makes a sum: a magnitude alone cannot be added to another.
class NoPhaseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One output through the preset and its driver.
Response measuredOutput(const PresetParameters& p, int output, const DriverResponse& driver,
                        std::span<const double> hz, std::int32_t sampleRate);
// Both outputs through the preset and their drivers, summed. Throws NoPhaseError naming the
// output whose driver has no phase.
Response acousticSum(const PresetParameters& p, const std::array<const DriverResponse*, 2>& drivers,
                     std::span<const double> hz, std::int32_t sampleRate);

} // namespace vela
