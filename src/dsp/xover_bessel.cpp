// The Bessel design of a crossover edge: "LowPass Q" / "HiPass Q" sections from the
// Bessel table, after a first-order section for odd orders.

#include "dsp/bessel_table.h"
#include "dsp/xover.h"

#include <cmath>

namespace vela::dsp {

void TXOVERPB::designBessel(int sign, std::int32_t sampleRate) {
    const BesselRow& row = kBesselTable[static_cast<std::size_t>(Order - 1)];
    std::size_t index = 0;
    if (Order % 2 == 1) {
        TSOS& s = Sections[index++];
        const double factor = row.firstOrderFactor;
        if (sign > 0) {
            s.Frequency = Frequency * factor;
            s.DesignFirstOrderLowPass(sampleRate);
        } else {
            s.Frequency = Frequency / factor;
            s.DesignFirstOrderHighPass(sampleRate);
        }
    }
    for (int k = 0; k < row.biquadCount; ++k) {
        const BesselBiquad& bq = row.biquads[static_cast<std::size_t>(k)];
        const double root = std::sqrt(static_cast<double>(bq.b));
        TSOS& s = Sections[index++];
        s.Q = root / static_cast<double>(bq.a);
        if (sign > 0) {
            s.Frequency = Frequency / root;
            s.DesignLowPassQ(sampleRate);
        } else {
            s.Frequency = Frequency * root;
            s.DesignHighPassQ(sampleRate);
        }
    }
}

} // namespace vela::dsp
