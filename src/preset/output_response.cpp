#include "preset/output_response.h"

#include "dsp/coefficient_word.h"

#include <cmath>
#include <numbers>

namespace vela {

double imageCoefficient(double x) {
    if (!std::isfinite(x)) return 0.0;
    // The word is 5.23 two's complement in 28 bits: sign-extend it.
    const std::uint32_t w = dsp::coefficientWord(x);
    const std::int32_t v =
        (w & 0x08000000u) ? static_cast<std::int32_t>(w | 0xF0000000u) : static_cast<std::int32_t>(w);
    return std::ldexp(static_cast<double>(v), -23);
}

void applySection(const dsp::TSOS& s, std::span<const double> hz, std::int32_t sampleRate, Response& into) {
    const double b0 = imageCoefficient(s.B0), b1 = imageCoefficient(s.B1), b2 = imageCoefficient(s.B2);
    const double a1 = imageCoefficient(s.A1), a2 = imageCoefficient(s.A2);
    const double step = 2.0 * std::numbers::pi / sampleRate;
    for (std::size_t i = 0; i < hz.size(); ++i) {
        const std::complex<double> z = std::polar(1.0, -step * hz[i]); // z^-1
        into[i] *= (b0 + z * (b1 + z * b2)) / (1.0 - z * (a1 + z * a2));
    }
}

Response sectionResponse(const dsp::TSOS& section, std::span<const double> hz, std::int32_t sampleRate) {
    Response r(hz.size(), 1.0);
    applySection(section, hz, sampleRate, r);
    return r;
}

std::complex<double> outputLevel(const PresetParameters& p, int output) {
    const auto n = static_cast<std::size_t>(output);
    return imageCoefficient(p.OutputGain[n] * p.MuteFactor[n]);
}

Response delayResponse(std::int32_t samples, std::span<const double> hz, std::int32_t sampleRate) {
    Response r(hz.size());
    for (std::size_t i = 0; i < hz.size(); ++i)
        r[i] = std::polar(1.0, -2.0 * std::numbers::pi * hz[i] * samples / sampleRate);
    return r;
}

OutputTransfer outputTransfer(const PresetParameters& p, int output, std::span<const double> hz,
                              std::int32_t sampleRate) {
    OutputTransfer t{Response(hz.size(), 1.0), Response(hz.size(), 1.0), {}};
    for (int b = 1; b <= kBandsPerOutput; ++b)
        applySection(p.band(output, b), hz, sampleRate, t.equaliser);
    const dsp::TXOVER& x = p.Crossovers[static_cast<std::size_t>(output)];
    for (const dsp::TXOVERPB* edge : {&x.LowPass, &x.HighPass})
        for (int k = 0; k < dsp::kDesignedSections; ++k)
            applySection(edge->Sections[static_cast<std::size_t>(k)], hz, sampleRate, t.crossover);
    t.total = delayResponse(p.OutputDelay[static_cast<std::size_t>(output)], hz, sampleRate);
    const std::complex<double> level = outputLevel(p, output);
    for (std::size_t i = 0; i < hz.size(); ++i)
        t.total[i] *= t.equaliser[i] * t.crossover[i] * level;
    return t;
}

double levelDb(std::complex<double> h) {
    return 20.0 * std::log10(std::abs(h));
}

} // namespace vela
