#include "dsp/response.h"

#include "dsp/design_checks.h"

#include <cmath>
#include <numbers>

namespace vela::dsp {
namespace {

constexpr double kPi = std::numbers::pi;

// Complex arithmetic spelled out, so that the order of operations is fixed and no
// library special-casing of infinities gets in the way.
struct Complex {
    double re, im;
};

Complex mul(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Complex add(double a, Complex b) {
    return {a + b.re, b.im};
}

// Smith's method: divide through by whichever of Re d and Im d is larger in magnitude.
Complex divide(Complex n, Complex d) {
    if (std::fabs(d.re) >= std::fabs(d.im)) {
        const double r = d.im / d.re;
        const double den = d.re + d.im * r;
        return {(n.re + n.im * r) / den, (n.im - n.re * r) / den};
    }
    const double r = d.re / d.im;
    const double den = d.re * r + d.im;
    return {(n.re * r + n.im) / den, (n.im * r - n.re) / den};
}

// atan2 with -pi (not +pi) for a negative real H and 0 for a real non-negative H.
double phaseOf(Complex h) {
    if (h.im == 0.0) return h.re < 0.0 ? -kPi : 0.0;
    return std::atan2(h.im, h.re);
}

} // namespace

ResponseGrid::ResponseGrid(std::int32_t sampleRate) : sampleRate_(sampleRate) {
    checkSampleRate(sampleRate);
    const double fs = sampleRate;
    const double top = std::nearbyint(fs / 2.0) - 1.0; // ties to even
    const double bottom = std::log10(20.0);
    const double step = (std::log10(top) - bottom) / (kResponsePoints - 1);
    for (int i = 0; i < kResponsePoints; ++i) {
        const auto k = static_cast<std::size_t>(i);
        frequencies_[k] =
            static_cast<std::int32_t>(std::nearbyint(std::exp((bottom + i * step) * std::numbers::ln10)));
        const double w = frequencies_[k] * 2.0 * kPi / fs;
        zInverse_[k] = {std::cos(w), -std::sin(w)};
    }
}

void ComputeResponse(const ResponseGrid& grid, std::span<const TSOS* const> sections,
                     ResponseCurve& magnitude, ResponseCurve& phase) {
    magnitude.fill(0.0f);
    phase.fill(0.0f);
    for (const TSOS* section : sections) {
        const double b0 = section->B0, b1 = section->B1, b2 = section->B2;
        const double na1 = -section->A1, na2 = -section->A2;
        for (int i = 0; i < kResponsePoints; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const std::complex<double> zc = grid.zInverse(i);
            const Complex z{zc.real(), zc.imag()};
            const Complex n = add(b0, mul(z, add(b1, mul(z, {b2, 0.0}))));
            const Complex d = add(1.0, mul(z, add(na1, mul(z, {na2, 0.0}))));
            const Complex h = divide(n, d);
            magnitude[k] =
                static_cast<float>(magnitude[k] + 20.0 * std::log10(std::sqrt(h.re * h.re + h.im * h.im)));
            if (std::fabs(static_cast<double>(magnitude[k])) < 1e-8) magnitude[k] = 0.0f;
            phase[k] = static_cast<float>(phase[k] + phaseOf(h));
        }
    }
}

double WrappedPhaseDegrees(double phi) {
    const double sign = phi >= 0 ? 1.0 : -1.0;
    return phi * 180.0 / kPi - 360.0 * std::trunc(phi / (2.0 * kPi) + 0.5 * sign);
}

} // namespace vela::dsp
