#include "tune/deviation.h"

#include <algorithm>
#include <cmath>

namespace vela::tune {

namespace {
constexpr int kHalfWindow = kPointsPerOctave / 12; // 1/12 octave each side
}

FitGrid fitGrid(double low, double high) {
    FitGrid g;
    g.low = low;
    g.high = high;
    const int points = static_cast<int>(std::ceil(std::log2(high / low) * kPointsPerOctave));
    const double step = std::log2(high / low) / points;
    for (int i = -kHalfWindow; i <= points + kHalfWindow; ++i) {
        g.hz.push_back(i == points ? high : low * std::exp2(i * step));
        g.inRange.push_back(i >= 0 && i <= points ? 1 : 0);
    }
    return g;
}

std::vector<double> smoothedDb(const Response& r) {
    const std::size_t n = r.size();
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + std::norm(r[i]);
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t a = i >= kHalfWindow ? i - kHalfWindow : 0;
        const std::size_t b = std::min(n, i + kHalfWindow + 1);
        const double power = (prefix[b] - prefix[a]) / static_cast<double>(b - a);
        out[i] = 10.0 * std::log10(std::max(power, 1e-30));
    }
    return out;
}

Figures figures(const std::vector<double>& smoothed, const FitGrid& grid, const Target& target,
                const std::vector<char>& use) {
    double sum = 0;
    int count = 0;
    const auto used = [&](std::size_t i) { return grid.inRange[i] && (use.empty() || use[i]); };
    for (std::size_t i = 0; i < smoothed.size(); ++i)
        if (used(i)) {
            sum += smoothed[i] - target.at(grid.hz[i]);
            ++count;
        }
    Figures f;
    if (count == 0) return f;
    f.offsetDb = sum / count;
    double squares = 0;
    for (std::size_t i = 0; i < smoothed.size(); ++i)
        if (used(i)) {
            const double d = smoothed[i] - target.at(grid.hz[i]) - f.offsetDb;
            squares += d * d;
            f.maxDb = std::max(f.maxDb, std::fabs(d));
        }
    f.rmsDb = std::sqrt(squares / count);
    return f;
}

} // namespace vela::tune
