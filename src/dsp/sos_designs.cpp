// The nineteen designs of TSOS. All are bilinear transforms at the
// sample rate fs; w = 2 pi f / fs, s = sin w, c = cos w; 10^x is exp(x ln 10).

#include "dsp/design_checks.h"
#include "dsp/pow10.h"
#include "dsp/sos.h"

#include <cmath>
#include <numbers>

namespace vela::dsp {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSqrt2 = std::numbers::sqrt2;
// pi * 12000.5, the stored constant that "Parametric Q const" uses at exactly 12000 Hz.
constexpr double kPiTimes12000_5 = 37700.68263940432;

// The common quantities of one design.
struct Angle {
    double fs, w, s, c;
};

Angle angle(double frequency, std::int32_t sampleRate) {
    const double fs = sampleRate;
    const double w = 2.0 * kPi * frequency / fs;
    return {fs, w, std::sin(w), std::cos(w)};
}

} // namespace

// 1. Parametric Q adap (code 1): peaking with gain-adaptive bandwidth.
void TSOS::DesignParametricAdaptive(std::int32_t sampleRate) {
    checkGain(Gain);
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double A = std::sqrt(pow10(Gain / 20.0));
    const double alpha = s / (2.0 * Q);
    const double d = alpha / A + 1.0;
    commit({(alpha * A + 1.0) / d, -2.0 * c / d, (1.0 - alpha * A) / d, 2.0 * c / d, -(1.0 - alpha / A) / d},
           "Parametric Q adap");
    FilterType = kCodeParametricAdaptive;
}

// 2. Parametric Q const (code 17): boost and cut are mirror images.
void TSOS::DesignParametricConstant(std::int32_t sampleRate) {
    checkGain(Gain);
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const double fs = sampleRate;
    // At exactly 12000 Hz the design runs at 12000.5 Hz.
    const double x = Frequency == 12000.0 ? kPiTimes12000_5 / fs : kPi * Frequency / fs;
    const double K = 1.0 / std::tan(x);
    double N = 1.0;
    double D = 1.0;
    if (Gain >= 0)
        N = pow10(Gain / 20.0);
    else
        D = pow10(-Gain / 20.0);
    const double h = (N / Q) * K;
    const double k = (D / Q) * K;
    const double S = K * K;
    const double den = S + k + 1.0;
    commit({(S + h + 1.0) / den, 2.0 * (1.0 - S) / den, (1.0 - h + S) / den, -2.0 * (1.0 - S) / den,
            -(1.0 - k + S) / den},
           "Parametric Q const");
    FilterType = kCodeParametricConstant;
}

namespace {

// The shared part of the 6 dB shelves: V and e, or nothing when the shelf is flat.
struct Shelf6 {
    double V, e;
};

// g is finite and not 0. tanTerm is t for the low shelf and 1/t for the high shelf.
bool shelf6(double g, double tanTerm, Shelf6& out) {
    const double V = pow10(g / 20.0);
    // A gain so small that V rounds to exactly 1 would make e = 0/0; the shelf is flat then,
    // so it takes the g = 0 branch.
    if (V == 1.0) return false;
    double Vc;
    if (V > kSqrt2)
        Vc = V / kSqrt2;
    else if (V < 1.0 / kSqrt2)
        Vc = kSqrt2 * V;
    else
        Vc = std::sqrt(V); // both bounds inclusive
    out = {V, std::sqrt((Vc * Vc - 1.0) / (V * V - Vc * Vc)) * tanTerm};
    return true;
}

} // namespace

// 3. Shelv Low 6dB (code 2). With g exactly 0: pass-through, FilterType left as it was.
void TSOS::DesignLowShelf6(std::int32_t sampleRate) {
    checkGain(Gain);
    if (Gain == 0.0) return SetPassThrough();
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    Shelf6 sh{};
    if (!shelf6(Gain, std::tan(w / 2.0), sh)) return SetPassThrough();
    const double p = 1.0 / (1.0 + sh.e);
    commit({(1.0 + sh.V * sh.e) * p, -(1.0 - sh.V * sh.e) * p, 0.0, 2.0 * p - 1.0, 0.0}, "Shelv Low 6dB");
    FilterType = kCodeLowShelf6;
}

// 4. Shelv High 6dB (code 3). As 3 with e built on 1/t.
void TSOS::DesignHighShelf6(std::int32_t sampleRate) {
    checkGain(Gain);
    if (Gain == 0.0) return SetPassThrough();
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    Shelf6 sh{};
    if (!shelf6(Gain, 1.0 / std::tan(w / 2.0), sh)) return SetPassThrough();
    const double p = 1.0 / (1.0 + sh.e);
    commit({(1.0 + sh.V * sh.e) * p, (1.0 - sh.V * sh.e) * p, 0.0, -(2.0 * p - 1.0), 0.0}, "Shelv High 6dB");
    FilterType = kCodeHighShelf6;
}

// 5. Shelv Low 12dB (code 18): fixed slope. With g exactly 0: pass-through, type unchanged.
void TSOS::DesignLowShelf12(std::int32_t sampleRate) {
    checkGain(Gain);
    if (Gain == 0.0) return SetPassThrough();
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double K = std::tan(w / 2.0);
    const double r = kSqrt2;
    const double K2 = K * K;
    Coefficients co{};
    if (Gain > 0) {
        const double V = pow10(Gain / 20.0);
        const double sv = std::sqrt(V);
        const double den = 1.0 + r * K + K2;
        co = {(1.0 + sv * r * K + V * K2) / den, 2.0 * (V * K2 - 1.0) / den,
              (1.0 - sv * r * K + V * K2) / den, -2.0 * (K2 - 1.0) / den, -(1.0 - r * K + K2) / den};
    } else {
        const double V = pow10(-Gain / 20.0);
        const double sv = std::sqrt(V);
        const double den = 1.0 + sv * r * K + V * K2;
        co = {(1.0 + r * K + K2) / den, 2.0 * (K2 - 1.0) / den, (1.0 - r * K + K2) / den,
              -2.0 * (V * K2 - 1.0) / den, -(1.0 - sv * r * K + V * K2) / den};
    }
    commit(co, "Shelv Low 12dB");
    FilterType = kCodeLowShelf12;
}

// 6. Shelv High 12dB (code 19). Same guard as 5.
void TSOS::DesignHighShelf12(std::int32_t sampleRate) {
    checkGain(Gain);
    if (Gain == 0.0) return SetPassThrough();
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double K = std::tan(w / 2.0);
    const double r = kSqrt2;
    const double K2 = K * K;
    Coefficients co{};
    if (Gain > 0) {
        const double V = pow10(Gain / 20.0);
        const double sv = std::sqrt(V);
        const double den = 1.0 + r * K + K2;
        co = {(V + sv * r * K + K2) / den, 2.0 * (K2 - V) / den, (V - sv * r * K + K2) / den,
              -2.0 * (K2 - 1.0) / den, -(1.0 - r * K + K2) / den};
    } else {
        const double V = pow10(-Gain / 20.0);
        const double sv = std::sqrt(V);
        const double den = V + sv * r * K + K2;
        co = {(1.0 + r * K + K2) / den, 2.0 * (K2 - 1.0) / den, (1.0 - r * K + K2) / den,
              -2.0 * (K2 - V) / den, -(V - sv * r * K + K2) / den};
    }
    commit(co, "Shelv High 12dB");
    FilterType = kCodeHighShelf12;
}

namespace {

// A and beta of the "+ Q" shelves; Q acts as the shelf slope. beta is 0.1 (not sqrt(0.1))
// when u < 0.1.
void shelfQ(double g, double q, double& A, double& beta) {
    A = std::sqrt(pow10(g / 20.0));
    const double u = (A * A + 1.0) / q - (A - 1.0) * (A - 1.0);
    beta = u >= 0.1 ? std::sqrt(u) : 0.1;
}

} // namespace

// 7. Shelv Low 12dB + Q (code 15).
void TSOS::DesignLowShelf12Q(std::int32_t sampleRate) {
    checkGain(Gain);
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    double A = 0, beta = 0;
    shelfQ(Gain, Q, A, beta);
    const double a0 = (A + 1.0) + (A - 1.0) * c + beta * s;
    commit({A * ((A + 1.0) - (A - 1.0) * c + beta * s) / a0, 2.0 * A * ((A - 1.0) - (A + 1.0) * c) / a0,
            A * ((A + 1.0) - (A - 1.0) * c - beta * s) / a0, 2.0 * ((A - 1.0) + (A + 1.0) * c) / a0,
            -((A + 1.0) + (A - 1.0) * c - beta * s) / a0},
           "Shelv Low 12dB + Q");
    FilterType = kCodeLowShelf12Q;
}

// 8. Shelv High 12dB + Q (code 16).
void TSOS::DesignHighShelf12Q(std::int32_t sampleRate) {
    checkGain(Gain);
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    double A = 0, beta = 0;
    shelfQ(Gain, Q, A, beta);
    const double a0 = (A + 1.0) - (A - 1.0) * c + beta * s;
    commit({A * ((A + 1.0) + (A - 1.0) * c + beta * s) / a0, -2.0 * A * ((A - 1.0) + (A + 1.0) * c) / a0,
            A * ((A + 1.0) + (A - 1.0) * c - beta * s) / a0, -2.0 * ((A - 1.0) - (A + 1.0) * c) / a0,
            -((A + 1.0) - (A - 1.0) * c - beta * s) / a0},
           "Shelv High 12dB + Q");
    FilterType = kCodeHighShelf12Q;
}

// 9. LowPass Buttw (code 4). Gain becomes 0.
void TSOS::DesignLowPassButterworth(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double den = kSqrt2 * s + 2.0;
    const double e = (1.0 - c) / den;
    commit({e, 2.0 * e, e, 4.0 * c / den, -(2.0 - kSqrt2 * s) / den}, "LowPass Buttw");
    FilterType = kCodeLowPassButterworth;
    Gain = 0.0;
}

// 10. HiPass Buttw (code 5). Gain becomes 0.
void TSOS::DesignHighPassButterworth(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double den = kSqrt2 * s + 2.0;
    const double e = (1.0 + c) / den;
    commit({e, -2.0 * e, e, 4.0 * c / den, -(2.0 - kSqrt2 * s) / den}, "HiPass Buttw");
    FilterType = kCodeHighPassButterworth;
    Gain = 0.0;
}

// 11. LowPass Q (code 10). Gain becomes 0.
void TSOS::DesignLowPassQ(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double alpha = s / (2.0 * Q);
    const double den = 2.0 * (alpha + 1.0);
    const double e = (1.0 - c) / den;
    commit({e, 2.0 * e, e, 4.0 * c / den, -2.0 * (1.0 - alpha) / den}, "LowPass Q");
    FilterType = kCodeLowPassQ;
    Gain = 0.0;
}

// 12. HiPass Q (code 11). Gain is left as it was.
void TSOS::DesignHighPassQ(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double alpha = s / (2.0 * Q);
    const double den = 2.0 * (alpha + 1.0);
    const double e = (1.0 + c) / den;
    commit({e, -2.0 * e, e, 4.0 * c / den, -2.0 * (1.0 - alpha) / den}, "HiPass Q");
    FilterType = kCodeHighPassQ;
}

namespace {

// beta of BandPass and StopBand. Q is raised to 2f/fs when smaller, which caps the bandwidth
// b = w/Qe at pi radians.
double bandBeta(double w, double frequency, double fs, double q) {
    const double qe = q < 2.0 * frequency / fs ? 2.0 * frequency / fs : q;
    const double b = w / qe;
    return 1.0 / (1.0 + std::tan(b / 2.0));
}

} // namespace

// 13. BandPass (code 6): pass-band gain V.
void TSOS::DesignBandPass(std::int32_t sampleRate) {
    checkGain(Gain);
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double V = pow10(Gain / 20.0);
    const double beta = bandBeta(w, Frequency, fs, Q);
    commit({(1.0 - beta) * V, 0.0, -(1.0 - beta) * V, 2.0 * beta * c, -(2.0 * beta - 1.0)}, "BandPass");
    FilterType = kCodeBandPass;
}

// 14. StopBand (code 7): notch; Gain is not used.
void TSOS::DesignStopBand(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double beta = bandBeta(w, Frequency, fs, Q);
    commit({beta, -2.0 * beta * c, beta, 2.0 * beta * c, -(2.0 * beta - 1.0)}, "StopBand");
    FilterType = kCodeStopBand;
}

// 15. AllPass 1 (code 8): the bilinear image of (1 - s)/(1 + s). Q and Gain are not used.
void TSOS::DesignAllPass1(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    const double K = 1.0 / std::tan(kPi * Frequency / static_cast<double>(sampleRate));
    commit({(1.0 - K) / (1.0 + K), (1.0 + K) / (1.0 + K), 0.0, -(1.0 - K) / (1.0 + K), 0.0}, "AllPass 1");
    FilterType = kCodeAllPass1;
}

// 16. AllPass 2 (code 9): the bilinear image of (s^2 - s/Q + 1)/(s^2 + s/Q + 1).
void TSOS::DesignAllPass2(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    checkQ(Q);
    const double K = 1.0 / std::tan(kPi * Frequency / static_cast<double>(sampleRate));
    const double K2 = K * K;
    const double den = 1.0 + K / Q + K2;
    commit({(1.0 - K / Q + K2) / den, 2.0 * (1.0 - K2) / den, (1.0 + K / Q + K2) / den,
            -2.0 * (1.0 - K2) / den, -(1.0 - K / Q + K2) / den},
           "AllPass 2");
    FilterType = kCodeAllPass2;
}

// 17. First-order low-pass (code 12, crossover use). Gain becomes 0.
void TSOS::DesignFirstOrderLowPass(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double t = std::tan(w / 2.0);
    const double p = (1.0 - t) / (1.0 + t);
    commit({(1.0 - p) / 2.0, (1.0 - p) / 2.0, 0.0, p, 0.0}, "first-order low-pass");
    FilterType = kCodeFirstOrder;
    Gain = 0.0;
}

// 18. First-order high-pass (code 12, crossover use). Gain becomes 0.
void TSOS::DesignFirstOrderHighPass(std::int32_t sampleRate) {
    checkFrequency(Frequency, sampleRate);
    const auto [fs, w, s, c] = angle(Frequency, sampleRate);
    const double t = std::tan(w / 2.0);
    const double p = (1.0 - t) / (1.0 + t);
    commit({(1.0 + p) / 2.0, -(1.0 + p) / 2.0, 0.0, p, 0.0}, "first-order high-pass");
    FilterType = kCodeFirstOrder;
    Gain = 0.0;
}

} // namespace vela::dsp
