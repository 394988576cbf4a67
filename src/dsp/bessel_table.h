#pragma once
// The Bessel tables of the crossover designer, single-precision constants as the unit's designs
// use them. Per order: the first-order factor for odd orders, then for each biquad k the pair
// (a_k, b_k). A low-pass biquad runs at the edge frequency divided by sqrt(b_k) with
// Q = sqrt(b_k)/a_k (a high-pass one at the frequency multiplied by sqrt(b_k)); the first-order
// section at the frequency times the factor (divided by it for a high-pass). These give the
// Bessel responses normalised to -3 dB at the edge frequency.

#include <array>
#include <cstdint>

namespace vela::dsp {

struct BesselBiquad {
    float a, b;
};

struct BesselRow {
    float firstOrderFactor; // 0 for even orders
    int biquadCount;
    std::array<BesselBiquad, 4> biquads;
};

// Row n - 1 is order n.
inline constexpr std::array<BesselRow, 8> kBesselTable = {{
    {1.0f, 0, {}},
    {0.0f, 1, {{{1.3617f, 0.618f}}}},
    {1.323f, 1, {{{0.9996f, 0.4772f}}}},
    {0.0f, 2, {{{1.3397f, 0.4889f}, {0.7743f, 0.389f}}}},
    {1.502f, 2, {{{1.1402f, 0.4128f}, {0.6216f, 0.3245f}}}},
    {0.0f, 3, {{{1.2217f, 0.3887f}, {0.9686f, 0.3505f}, {0.5131f, 0.2756f}}}},
    {1.684f, 3, {{{1.0944f, 0.3395f}, {0.8304f, 0.3011f}, {0.4332f, 0.2381f}}}},
    {0.0f, 4, {{{1.1112f, 0.3162f}, {0.9754f, 0.2979f}, {0.7202f, 0.2621f}, {0.3728f, 0.2087f}}}},
}};

// The highest low-pass cutoff per order (Hz), row n - 1 for order n.
inline constexpr std::array<std::int32_t, 8> kBesselMaximumCutoff = {20000, 18800, 16500, 14900,
                                                                     13650, 12550, 11650, 10900};

// The maximum cutoff of order 1..8.
constexpr std::int32_t besselMaximumCutoff(std::int32_t order) {
    return kBesselMaximumCutoff[static_cast<std::size_t>(order - 1)];
}

} // namespace vela::dsp
