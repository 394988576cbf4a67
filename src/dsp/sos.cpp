#include "dsp/sos.h"

#include "dsp/coefficient_word.h"
#include "dsp/design_error.h"
#include "dsp/realtime_sink.h"

#include <cmath>
#include <string>

namespace vela::dsp {

void TSOS::SetPassThrough() {
    B0 = 1.0;
    B1 = 0.0;
    B2 = 0.0;
    A1 = 0.0;
    A2 = 0.0;
}

void TSOS::Redesign(std::int32_t sampleRate) {
    switch (FilterType) {
    case kCodeBypass:
        SetPassThrough();
        break;
    case kCodeParametricAdaptive:
        DesignParametricAdaptive(sampleRate);
        break;
    case kCodeLowShelf6:
        DesignLowShelf6(sampleRate);
        break;
    case kCodeHighShelf6:
        DesignHighShelf6(sampleRate);
        break;
    case kCodeLowPassButterworth:
        DesignLowPassButterworth(sampleRate);
        break;
    case kCodeHighPassButterworth:
        DesignHighPassButterworth(sampleRate);
        break;
    case kCodeBandPass:
        DesignBandPass(sampleRate);
        break;
    case kCodeStopBand:
        DesignStopBand(sampleRate);
        break;
    case kCodeAllPass1:
        DesignAllPass1(sampleRate);
        break;
    case kCodeAllPass2:
        DesignAllPass2(sampleRate);
        break;
    case kCodeLowPassQ:
        DesignLowPassQ(sampleRate);
        break;
    case kCodeHighPassQ:
        DesignHighPassQ(sampleRate);
        break;
    case kCodeLowShelf12Q:
        DesignLowShelf12Q(sampleRate);
        break;
    case kCodeHighShelf12Q:
        DesignHighShelf12Q(sampleRate);
        break;
    case kCodeParametricConstant:
        DesignParametricConstant(sampleRate);
        break;
    case kCodeLowShelf12:
        DesignLowShelf12(sampleRate);
        break;
    case kCodeHighShelf12:
        DesignHighShelf12(sampleRate);
        break;
    default:
        break; // 12, 13, 14, 20 and above: the coefficients stay as they are
    }
}

double TSOS::Coefficient(int index) const {
    switch (index) {
    case 0:
        return B0;
    case 1:
        return B1;
    case 2:
        return B2;
    case 3:
        return A1;
    case 4:
        return A2;
    default:
        return 0.0;
    }
}

double TSOS::EquivalentLowPassQ() const {
    const double r = std::sqrt(A1 / (2.0 * B0) + 1.0);
    return 1.0 / ((1.0 / (2.0 * r)) * (1.0 / B0 - 1.0 - r * r) * 2.0);
}

double TSOS::EquivalentHighPassQ() const {
    const double m = 2.0 * B0;
    const double r = std::sqrt(m / (m - A1));
    return 1.0 / ((r / m - (r * r + 1.0) / (2.0 * r)) * 2.0);
}

std::array<std::uint32_t, 5> TSOS::Words() const {
    return {coefficientWord(B0), coefficientWord(B1), coefficientWord(B2), coefficientWord(A1),
            coefficientWord(A2)};
}

void TSOS::SendRealTime(RealTimeSink& sink) const {
    const auto words = Words();
    sink.send(RealTimeType::FiveWords, static_cast<std::uint16_t>(DspAddress), words);
}

void TSOS::commit(const Coefficients& c, const char* design) {
    if (!(std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.b2) && std::isfinite(c.a1) &&
          std::isfinite(c.a2)))
        throw DesignError(std::string(design) + ": the parameters give non-finite coefficients");
    B0 = c.b0;
    B1 = c.b1;
    B2 = c.b2;
    A1 = c.a1;
    A2 = c.a2;
}

} // namespace vela::dsp
