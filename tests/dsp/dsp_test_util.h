#pragma once
// Independent mathematics for the designer tests: the response of a section evaluated
// directly from its transfer function with std::complex, and a sink that records real-time
// frames.

#include "dsp/realtime_sink.h"
#include "dsp/sos.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

namespace vela::dsp::test {

inline constexpr std::int32_t kFs = 48000;

// H(e^jw) = (B0 + B1 z^-1 + B2 z^-2) / (1 - A1 z^-1 - A2 z^-2) at f Hz.
inline std::complex<double> responseAt(const TSOS& s, double f, double fs = kFs) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / fs);
    const std::complex<double> z2 = z1 * z1;
    return (s.B0 + s.B1 * z1 + s.B2 * z2) / (1.0 - s.A1 * z1 - s.A2 * z2);
}

inline std::complex<double> cascadeAt(std::span<const TSOS> sections, double f, double fs = kFs) {
    std::complex<double> h = 1.0;
    for (const auto& s : sections)
        h *= responseAt(s, f, fs);
    return h;
}

inline double dB(std::complex<double> h) {
    return 20.0 * std::log10(std::abs(h));
}
inline double dB(double linear) {
    return 20.0 * std::log10(linear);
}

// Both poles inside the unit circle: 1 - A1 z^-1 - A2 z^-2 with a1 = -A1, a2 = -A2.
inline bool stable(const TSOS& s) {
    const double a1 = -s.A1, a2 = -s.A2;
    return std::fabs(a2) < 1.0 && std::fabs(a1) < 1.0 + a2;
}

struct Frame {
    RealTimeType type;
    std::uint16_t address;
    std::vector<std::uint32_t> words;
    int target; // the selector in force when the frame was sent (-1: never set)
};

class RecordingSink : public RealTimeSink {
  public:
    void send(RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override {
        frames.push_back({type, address, {words.begin(), words.end()}, target});
    }
    void setTarget(std::uint8_t t) override {
        target = t;
        ++targetChanges;
    }
    std::vector<Frame> frames;
    int target = -1;
    int targetChanges = 0;
};

} // namespace vela::dsp::test
