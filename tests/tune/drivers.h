#pragma once
// Synthetic drivers for the fit's tests: analogue responses, minimum phase, measured at
// 1/48-octave points as a measurement program exports them.

#include "preset/acoustic_sum.h"

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>

namespace vela::test {

using cd = std::complex<double>;

inline cd jf(double f, double f0) {
    return {0.0, f / f0};
}
inline cd highPass2(double f, double f0, double q) {
    const cd s = jf(f, f0);
    return s * s / (s * s + s / q + 1.0);
}
inline cd lowPass2(double f, double f0, double q) {
    const cd s = jf(f, f0);
    return 1.0 / (s * s + s / q + 1.0);
}
// A peak or dip of `db` at f0.
inline cd peaking(double f, double f0, double q, double db) {
    const cd s = jf(f, f0);
    const double a = std::pow(10.0, db / 40.0);
    return (s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0);
}

inline MeasuredCurve measure(const std::function<cd(double)>& driver, double level = 90.0) {
    MeasuredCurve m;
    for (double f = 10.0; f < 23000.0; f *= std::exp2(1.0 / 48)) {
        const cd h = driver(f);
        m.frequency.push_back(static_cast<float>(f));
        m.magnitude.push_back(static_cast<float>(level + 20.0 * std::log10(std::abs(h))));
        m.phase.push_back(static_cast<float>(std::arg(h) * 180.0 / std::numbers::pi));
    }
    return m;
}

inline DriverResponse driverOf(const std::function<cd(double)>& driver) {
    return driverResponse(measure(driver), true, true);
}

// The FRD export of a driver: a line of column names, then frequency, SPL and phase.
inline std::string frdText(const std::function<cd(double)>& driver) {
    const MeasuredCurve m = measure(driver);
    std::string text = "Freq SPL Phase\n";
    char line[96];
    for (std::size_t i = 0; i < m.frequency.size(); ++i) {
        std::snprintf(line, sizeof line, "%.4f %.4f %.4f\n", m.frequency[i], m.magnitude[i], m.phase[i]);
        text += line;
    }
    return text;
}

// A flat pair distorted by known peaks and dips: the fit should take them back out.
inline cd plantedWoofer(double f) {
    return peaking(f, 600, 2.5, 4.0) * peaking(f, 1300, 3.0, -3.0);
}
inline cd plantedTweeter(double f) {
    return peaking(f, 5000, 2.0, 3.0) * peaking(f, 11000, 4.0, -4.0) * 0.8;
}

} // namespace vela::test
