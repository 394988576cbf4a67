#include "preset/acoustic_sum.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace vela {

namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;

double wrapped(double phase) {
    return phase - kTurn * std::nearbyint(phase / kTurn);
}

// How rough the phase is between neighbouring points once `delay` is taken out of it.
double roughness(const std::vector<double>& hz, const std::vector<double>& phase, double delay) {
    double sum = 0;
    for (std::size_t i = 1; i < hz.size(); ++i) {
        const double step = wrapped(phase[i] - phase[i - 1] + kTurn * (hz[i] - hz[i - 1]) * delay);
        sum += step * step;
    }
    return sum;
}

// The delay whose removal leaves the smoothest phase: with the time of flight in it, the phase
// of a measurement may turn by more than half a turn between points at high frequencies, and
// no unwrapping could follow it.
double smoothestDelay(const std::vector<double>& hz, const std::vector<double>& phase) {
    double best = 0, least = roughness(hz, phase, 0.0);
    const auto search = [&](double from, double to, double step) {
        for (double d = from; d <= to; d += step)
            if (const double r = roughness(hz, phase, d); r < least - 1e-12) {
                least = r;
                best = d;
            }
    };
    search(-0.002, 0.010, 10e-6);
    search(best - 10e-6, best + 10e-6, 0.25e-6);
    return best;
}

} // namespace

DriverResponse driverResponse(const MeasuredCurve& c, bool phaseInDegrees, bool hasPhase) {
    std::vector<std::size_t> order(c.frequency.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return c.frequency[a] < c.frequency[b]; });
    DriverResponse d;
    d.hasPhase = hasPhase;
    const double scale = phaseInDegrees ? std::numbers::pi / 180.0 : 1.0;
    for (const std::size_t i : order) {
        // A second point at one frequency adds nothing to interpolate between.
        if (!d.hz.empty() && c.frequency[i] <= d.hz.back()) continue;
        if (!(c.frequency[i] > 0)) continue;
        d.hz.push_back(c.frequency[i]);
        d.db.push_back(c.magnitude[i]);
        d.radians.push_back(hasPhase ? c.phase[i] * scale : 0.0);
    }
    if (!hasPhase) return d;
    d.delay = smoothestDelay(d.hz, d.radians);
    // Without the delay, the phase is unwrapped point by point for the interpolation.
    for (std::size_t i = 0; i < d.hz.size(); ++i) {
        const double phase = d.radians[i] + kTurn * d.hz[i] * d.delay;
        d.radians[i] = i == 0 ? wrapped(phase) : d.radians[i - 1] + wrapped(phase - d.radians[i - 1]);
    }
    return d;
}

std::complex<double> DriverResponse::at(double f) const {
    if (hz.empty()) return 0.0;
    const auto polar = [](double level, double phase) {
        return std::polar(std::pow(10.0, level / 20.0), phase);
    };
    const double late = -kTurn * f * delay;
    if (f <= hz.front()) return polar(db.front(), radians.front() + late);
    if (f >= hz.back()) return polar(db.back(), radians.back() + late);
    const auto k = static_cast<std::size_t>(std::upper_bound(hz.begin(), hz.end(), f) - hz.begin());
    const double t = std::log(f / hz[k - 1]) / std::log(hz[k] / hz[k - 1]);
    return polar(db[k - 1] + t * (db[k] - db[k - 1]),
                 radians[k - 1] + t * (radians[k] - radians[k - 1]) + late);
}

Response DriverResponse::at(std::span<const double> f) const {
    Response r(f.size());
    for (std::size_t i = 0; i < f.size(); ++i)
        r[i] = at(f[i]);
    return r;
}

Response measuredOutput(const PresetParameters& p, int output, const DriverResponse& driver,
                        std::span<const double> hz, std::int32_t sampleRate) {
    Response r = outputTransfer(p, output, hz, sampleRate).total;
    for (std::size_t i = 0; i < hz.size(); ++i)
        r[i] *= driver.at(hz[i]);
    return r;
}

Response acousticSum(const PresetParameters& p, const std::array<const DriverResponse*, 2>& drivers,
                     std::span<const double> hz, std::int32_t sampleRate) {
    for (std::size_t n = 0; n < drivers.size(); ++n)
        if (!drivers[n]->hasPhase)
            throw NoPhaseError("the measurement of output " + std::to_string(n + 1) +
                               " has no phase, and without phase the outputs cannot be summed");
    Response sum = measuredOutput(p, 0, *drivers[0], hz, sampleRate);
    const Response second = measuredOutput(p, 1, *drivers[1], hz, sampleRate);
    for (std::size_t i = 0; i < hz.size(); ++i)
        sum[i] += second[i];
    return sum;
}

} // namespace vela
