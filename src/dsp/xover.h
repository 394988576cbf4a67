#pragma once
// The crossover designer. TXOVERPB is one crossover edge: an alignment, an order
// 1..8 and a corner frequency, realised as a cascade of up to four TSOS sections. TXOVER holds
// one output's two edges, the high-pass edge (fc1, the editor's "L" side) and the low-pass
// edge (fc2, the "H" side).
//
// The crossover parameter update that reads the editor's controls, keeps the edges apart and
// redraws belongs to the preset model; DesignAtEdgeFrequency below is its design step.

#include "dsp/sos.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vela::dsp {

class RealTimeSink;

// Alignment codes. Odd codes are low-pass and belong on the LowPass edge, even codes (other
// than 0) high-pass on the HighPass edge.
inline constexpr std::uint8_t kAlignBypass = 0;
inline constexpr std::uint8_t kAlignButterworthLowPass = 1;
inline constexpr std::uint8_t kAlignButterworthHighPass = 2;
inline constexpr std::uint8_t kAlignLinkwitzRileyLowPass = 3;
inline constexpr std::uint8_t kAlignLinkwitzRileyHighPass = 4;
inline constexpr std::uint8_t kAlignBesselLowPass = 5;
inline constexpr std::uint8_t kAlignBesselHighPass = 6;
inline constexpr std::uint8_t kAlignCustomLowPass = 7;
inline constexpr std::uint8_t kAlignCustomHighPass = 8;

inline constexpr int kEdgeSections = 8;     // sections each edge owns
inline constexpr int kDesignedSections = 4; // sections 1..4 are designed, addressed and sent

// A Bessel low-pass edge above the order's maximum cutoff: nothing was designed, and the
// parameter update shows Message(), sets the edge frequency to MaximumHz and designs again.
struct BesselLimit {
    std::int32_t Order;
    std::int32_t MaximumHz;
    // "Maximum Bessel Cutoff = 14900 for LowPass of order 4"
    std::string Message() const;
};

class TXOVERPB {
  public:
    // Fields in declaration order. Sections[0] is section 1.
    std::array<TSOS, kEdgeSections> Sections{};
    std::int32_t Order = 4;        // 1..8
    std::int32_t SectionCount = 1; // sections in use, 1..4
    std::uint8_t Alignment = kAlignBypass;
    double Frequency = 1000.0; // Hz

    // Recomputes SectionCount and sections 1..4 from Alignment, Order and Frequency (custom
    // alignments from each section's own Frequency and Q). Linkwitz-Riley raises an odd Order
    // by one and stores it. Returns the Bessel limit when a low-pass Bessel edge lies above its
    // maximum cutoff (nothing is designed then). An alignment above 8 changes nothing. Throws
    // DesignError, changing nothing, for an order outside 1..8 or a frequency or Q out of range.
    std::optional<BesselLimit> Design(std::int32_t sampleRate);

    // Butterworth sections of order n from section firstSection (1-based)
    // on: a first-order section for odd n, then one biquad per pole pair. sign +1 low-pass,
    // -1 high-pass. Sets each section's Frequency, Q (the equivalent Q) and FilterType
    // (12/13 first-order, 10/11 biquad).
    void DesignButterworth(int n, int firstSection, int sign, double frequency, std::int32_t sampleRate);

    // Copies Frequency into sections 1..4 (the parameter update does so for every alignment
    // but the custom ones, just before Design).
    void CopyFrequencyToSections();

    // The parameter update's design step: copies Frequency into sections 1..4 unless the
    // alignment is custom, designs, and after a Bessel limit sets Frequency to the maximum and
    // designs again, so that the edge ends up designed at the maximum. Returns the limit that
    // was met, whose message the caller shows.
    std::optional<BesselLimit> DesignAtEdgeFrequency(std::int32_t sampleRate);

    // Sections 4, 3, 2, 1, each as one five-coefficient message (type 0) to its DspAddress,
    // whatever SectionCount is: unused sections carry pass-through coefficients.
    void SendRealTime(RealTimeSink& sink) const;

  private:
    void designBessel(int sign, std::int32_t sampleRate);
    void designCustom(int sign, std::int32_t sampleRate);
};

// The sections of one output's cascade, as ComputeResponse takes them.
struct SectionList {
    std::array<const TSOS*, 2 * kDesignedSections> items{};
    std::size_t count = 0;
    std::span<const TSOS* const> span() const { return {items.data(), count}; }
};

// One output's crossover: its two edges.
class TXOVER {
  public:
    TXOVERPB HighPass; // fc1
    TXOVERPB LowPass;  // fc2

    // The real-time addresses of output 1 or 2: base = 40 k + 51; LowPass sections 1..4 at
    // base, base+5, base+10, base+15; HighPass sections 1..4 at base+20 .. base+35.
    void AssignAddresses(int output);
    // LowPass sections 1..SectionCount, then HighPass sections 1..SectionCount.
    SectionList Cascade() const;
};

} // namespace vela::dsp
