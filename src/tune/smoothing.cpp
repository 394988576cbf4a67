#include "tune/smoothing.h"

#include <algorithm>
#include <cmath>

namespace vela::tune {

std::vector<double> smoothedOctave(std::span<const double> hz, std::span<const double> db, int fraction) {
    std::vector<double> out(db.begin(), db.end());
    if (fraction <= 0 || hz.size() != db.size()) return out;
    const std::size_t n = hz.size();
    // Points without a value (outside the measured range) take no part in the mean.
    std::vector<double> prefix(n + 1, 0.0), counted(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const bool finite = std::isfinite(db[i]);
        prefix[i + 1] = prefix[i] + (finite ? std::pow(10.0, db[i] / 10.0) : 0.0);
        counted[i + 1] = counted[i] + (finite ? 1.0 : 0.0);
    }
    const double half = std::pow(2.0, 0.5 / fraction);
    std::size_t a = 0, b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        while (a < i && hz[a] < hz[i] / half)
            ++a;
        b = std::max(b, i + 1);
        while (b < n && hz[b] <= hz[i] * half)
            ++b;
        if (!std::isfinite(db[i])) continue;
        const double power = (prefix[b] - prefix[a]) / (counted[b] - counted[a]);
        out[i] = 10.0 * std::log10(std::max(power, 1e-30));
    }
    return out;
}

} // namespace vela::tune
