#include "preset/acoustic_sum.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace vela {

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
        double phase = hasPhase ? c.phase[i] * scale : 0.0;
        // Exports wrap the phase to one turn; the interpolation needs it continuous.
        if (!d.radians.empty()) {
            const double turn = 2.0 * std::numbers::pi;
            phase -= turn * std::nearbyint((phase - d.radians.back()) / turn);
        }
        d.hz.push_back(c.frequency[i]);
        d.db.push_back(c.magnitude[i]);
        d.radians.push_back(phase);
    }
    return d;
}

std::complex<double> DriverResponse::at(double f) const {
    if (hz.empty()) return 0.0;
    const auto polar = [](double level, double phase) {
        return std::polar(std::pow(10.0, level / 20.0), phase);
    };
    if (f <= hz.front()) return polar(db.front(), radians.front());
    if (f >= hz.back()) return polar(db.back(), radians.back());
    const auto k = static_cast<std::size_t>(std::upper_bound(hz.begin(), hz.end(), f) - hz.begin());
    const double t = std::log(f / hz[k - 1]) / std::log(hz[k] / hz[k - 1]);
    return polar(db[k - 1] + t * (db[k] - db[k - 1]), radians[k - 1] + t * (radians[k] - radians[k - 1]));
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
