#pragma once
// TSOS: one second-order section (biquad) of the signal path. It holds the design
// parameters of one filter, the five coefficients designed from them and the section's
// real-time address. The equaliser bands, the crossover sections, the dynamics side-chain
// filters and the sub-reinforcement filters are all TSOS objects.
//
// Sign convention (binding for every consumer): y[n] = B0 x[n] + B1 x[n-1] + B2 x[n-2]
// + A1 y[n-1] + A2 y[n-2], so H(z) = (B0 + B1 z^-1 + B2 z^-2) / (1 - A1 z^-1 - A2 z^-2):
// A1 and A2 are stored already negated. Coefficients travel in the order B0, B1, B2, A1, A2.
//
// Every design reads Gain, Frequency, Q and the sample rate, writes the five coefficients and
// sets FilterType to its own code (exceptions are noted). A design first
// checks its parameters (0 < f < fs/2, Q > 0, finite gain) and throws DesignError, leaving the
// section untouched, instead of producing non-finite coefficients.

#include "dsp/filter_types.h"

#include <array>
#include <cstdint>

namespace vela::dsp {

class RealTimeSink;

// The real-time address of equaliser band 1..8 of output 1 or 2: 5 band + 6
// (11..46) for output 1, 5 band + 46 (51..86) for output 2.
constexpr std::int32_t equaliserBandAddress(int output, int band) {
    return 5 * band + (output == 1 ? 6 : 46);
}
// The sub-reinforcement (loudness) section of either output.
inline constexpr std::int32_t kSubReinforcementAddress = 116;

class TSOS {
  public:
    // Fields in declaration order. Doubles are precise enough: extended precision would change
    // no transmitted word within the editors' ranges.
    double B0 = 1.0;
    double B1 = 0.0;
    double B2 = 0.0;
    double A1 = 0.0; // stored negated
    double A2 = 0.0; // stored negated
    std::uint8_t FilterType = kCodeBypass;
    double Gain = 0.0;           // dB
    double Frequency = 1000.0;   // Hz
    double Q = 0.707;            // the double nearest 0.707, not 1/sqrt(2)
    std::int32_t DspAddress = 0; // set by the owner

    // B0 = 1, B1 = B2 = A1 = A2 = 0; FilterType, Gain, Frequency and Q are left as they are.
    void SetPassThrough();
    // Runs the design whose code equals FilterType: 0 SetPassThrough; 1..11 and 15..19 their
    // designs; any other code (12, 13, 14, 20 and above) leaves the coefficients as they are.
    void Redesign(std::int32_t sampleRate);
    // Index 0..4: B0, B1, B2, A1, A2; any other index: 0.
    double Coefficient(int index) const;
    // The Q of an already designed low-pass or high-pass section, from its coefficients.
    double EquivalentLowPassQ() const;
    double EquivalentHighPassQ() const;

    // The designs, by list text.
    void DesignParametricAdaptive(std::int32_t sampleRate);  // 1  "Parametric Q adap", code 1
    void DesignParametricConstant(std::int32_t sampleRate);  // 2  "Parametric Q const", code 17
    void DesignLowShelf6(std::int32_t sampleRate);           // 3  "Shelv Low 6dB", code 2
    void DesignHighShelf6(std::int32_t sampleRate);          // 4  "Shelv High 6dB", code 3
    void DesignLowShelf12(std::int32_t sampleRate);          // 5  "Shelv Low 12dB", code 18
    void DesignHighShelf12(std::int32_t sampleRate);         // 6  "Shelv High 12dB", code 19
    void DesignLowShelf12Q(std::int32_t sampleRate);         // 7  "Shelv Low 12dB + Q", code 15
    void DesignHighShelf12Q(std::int32_t sampleRate);        // 8  "Shelv High 12dB + Q", code 16
    void DesignLowPassButterworth(std::int32_t sampleRate);  // 9  "LowPass Buttw", code 4
    void DesignHighPassButterworth(std::int32_t sampleRate); // 10 "HiPass Buttw", code 5
    void DesignLowPassQ(std::int32_t sampleRate);            // 11 "LowPass Q", code 10
    void DesignHighPassQ(std::int32_t sampleRate);           // 12 "HiPass Q", code 11
    void DesignBandPass(std::int32_t sampleRate);            // 13 "BandPass", code 6
    void DesignStopBand(std::int32_t sampleRate);            // 14 "StopBand", code 7
    void DesignAllPass1(std::int32_t sampleRate);            // 15 "AllPass 1", code 8
    void DesignAllPass2(std::int32_t sampleRate);            // 16 "AllPass 2", code 9
    void DesignFirstOrderLowPass(std::int32_t sampleRate);   // 17 crossover use, code 12
    void DesignFirstOrderHighPass(std::int32_t sampleRate);  // 18 crossover use, code 12
    // 19, "Bypass" (code 0), is SetPassThrough.

    // The five coefficient words (Trunc(x * 2^23), 28 bits) in the order B0, B1, B2, A1, A2.
    std::array<std::uint32_t, 5> Words() const;
    // One five-coefficient message (type 0) to DspAddress.
    void SendRealTime(RealTimeSink& sink) const;

  private:
    struct Coefficients {
        double b0, b1, b2, a1, a2;
    };
    // Stores c once all five are finite; otherwise throws DesignError naming the design and
    // leaves the section unchanged.
    void commit(const Coefficients& c, const char* design);
};

} // namespace vela::dsp
