#include "dsp/xover.h"

#include "dsp/bessel_table.h"
#include "dsp/design_checks.h"
#include "dsp/design_error.h"
#include "dsp/realtime_sink.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace vela::dsp {
namespace {

void checkOrder(std::int32_t order) {
    if (order < 1 || order > 8)
        throw DesignError("crossover order " + std::to_string(order) + " is outside 1..8");
}

// Sections in use for Butterworth, Bessel and custom alignments.
std::int32_t sectionsForOrder(std::int32_t order) {
    return order % 2 == 0 ? order / 2 : order / 2 + 1;
}

} // namespace

std::string BesselLimit::Message() const {
    return "Maximum Bessel Cutoff = " + std::to_string(MaximumHz) + " for LowPass of order " +
           std::to_string(Order);
}

void TXOVERPB::CopyFrequencyToSections() {
    for (int i = 0; i < kDesignedSections; ++i)
        Sections[static_cast<std::size_t>(i)].Frequency = Frequency;
}

std::optional<BesselLimit> TXOVERPB::Design(std::int32_t sampleRate) {
    if (Alignment > kAlignCustomHighPass) return std::nullopt; // not even the reset
    checkSampleRate(sampleRate);
    if (Alignment == kAlignBypass) {
        for (auto& s : Sections)
            s.SetPassThrough();
        SectionCount = 1;
        return std::nullopt;
    }
    checkOrder(Order);
    if (Alignment <= kAlignBesselHighPass) checkFrequency(Frequency, sampleRate, "crossover frequency");

    // Designed on a copy, so that a parameter refused half-way leaves the edge as it was.
    TXOVERPB work = *this;
    for (auto& s : work.Sections)
        s.SetPassThrough();
    const int sign = Alignment % 2 == 1 ? +1 : -1;
    std::optional<BesselLimit> limit;
    switch (Alignment) {
    case kAlignButterworthLowPass:
    case kAlignButterworthHighPass:
        work.DesignButterworth(Order, 1, sign, Frequency, sampleRate);
        work.SectionCount = sectionsForOrder(Order);
        break;
    case kAlignLinkwitzRileyLowPass:
    case kAlignLinkwitzRileyHighPass: {
        if (work.Order % 2 == 1) work.Order += 1; // raised and stored
        const int n = work.Order / 2;
        const bool short_ = work.Order == 2 || work.Order == 4;
        work.DesignButterworth(n, 1, sign, Frequency, sampleRate);
        work.DesignButterworth(n, short_ ? 2 : 3, sign, Frequency, sampleRate);
        work.SectionCount = short_ ? 2 : 4;
        break;
    }
    case kAlignBesselLowPass:
    case kAlignBesselHighPass:
        work.SectionCount = sectionsForOrder(Order);
        // Section 1's frequency equals the edge frequency after a parameter update; comparing
        // the edge frequency itself stays right when Design runs again without that copy.
        if (sign > 0 && Frequency > besselMaximumCutoff(Order)) {
            limit = BesselLimit{Order, besselMaximumCutoff(Order)};
            break; // no sections designed in this pass
        }
        work.designBessel(sign, sampleRate);
        break;
    default: // custom
        work.SectionCount = sectionsForOrder(Order);
        work.designCustom(sign, sampleRate);
        break;
    }
    *this = work;
    return limit;
}

void TXOVERPB::DesignButterworth(int n, int firstSection, int sign, double frequency,
                                 std::int32_t sampleRate) {
    checkOrder(n);
    if (sign != 1 && sign != -1) throw DesignError("Butterworth sign must be +1 or -1");
    const int needed = n / 2 + n % 2;
    if (firstSection < 1 || firstSection + needed - 1 > kEdgeSections)
        throw DesignError("Butterworth order " + std::to_string(n) + " from section " +
                          std::to_string(firstSection) + " does not fit the edge's " +
                          std::to_string(kEdgeSections) + " sections");
    checkFrequency(frequency, sampleRate, "crossover frequency");

    const double pi = std::numbers::pi;
    const double w = 2.0 * pi * frequency / static_cast<double>(sampleRate);
    const double g = sign > 0 ? std::tan(w / 2.0) : 1.0 / std::tan(w / 2.0);
    const double sg = sign;
    auto index = static_cast<std::size_t>(firstSection - 1);
    auto finish = [&](TSOS& s, std::uint8_t type) {
        s.Frequency = frequency;
        s.Q = sign > 0 ? s.EquivalentLowPassQ() : s.EquivalentHighPassQ();
        s.FilterType = type;
    };
    if (n % 2 == 1) {
        TSOS& s = Sections[index++];
        s.B0 = g / (g + 1.0);
        s.B1 = sg * s.B0;
        s.B2 = 0.0;
        s.A1 = -sg * (g - 1.0) / (g + 1.0);
        s.A2 = 0.0;
        finish(s, sign > 0 ? kCodeFirstOrder : kCodeFirstOrderHighPassXover);
    }
    for (int u = 1; u <= (n - n % 2) / 2; ++u) {
        const double theta = pi * (n + 2 * u - 1) / (2.0 * n);
        const double E = 1.0 - 2.0 * g * std::cos(theta) + g * g;
        const double G = g * g / E;
        TSOS& s = Sections[index++];
        s.B0 = G;
        s.B1 = 2.0 * G * sg;
        s.B2 = G;
        s.A1 = -2.0 * (g * g - 1.0) / E * sg;
        s.A2 = -(1.0 + 2.0 * g * std::cos(theta) + g * g) / E;
        finish(s, sign > 0 ? kCodeLowPassQ : kCodeHighPassQ);
    }
}

void TXOVERPB::designCustom(int sign, std::int32_t sampleRate) {
    std::size_t index = 0;
    if (Order % 2 == 1) {
        TSOS& s = Sections[index++];
        if (sign > 0)
            s.DesignFirstOrderLowPass(sampleRate);
        else
            s.DesignFirstOrderHighPass(sampleRate);
    }
    for (int k = 0; k < Order / 2; ++k) {
        TSOS& s = Sections[index++];
        if (sign > 0)
            s.DesignLowPassQ(sampleRate);
        else
            s.DesignHighPassQ(sampleRate);
    }
}

std::optional<BesselLimit> TXOVERPB::DesignAtEdgeFrequency(std::int32_t sampleRate) {
    const bool custom = Alignment == kAlignCustomLowPass || Alignment == kAlignCustomHighPass;
    if (!custom) CopyFrequencyToSections();
    const auto limit = Design(sampleRate);
    if (limit) {
        Frequency = limit->MaximumHz;
        CopyFrequencyToSections();
        Design(sampleRate);
    }
    return limit;
}

void TXOVER::AssignAddresses(int output) {
    if (output != 1 && output != 2) throw DesignError("crossover output must be 1 or 2");
    const int base = 40 * output + 51;
    for (int i = 0; i < kDesignedSections; ++i) {
        LowPass.Sections[static_cast<std::size_t>(i)].DspAddress = base + 5 * i;
        HighPass.Sections[static_cast<std::size_t>(i)].DspAddress = base + 20 + 5 * i;
    }
}

void TXOVERPB::SendRealTime(RealTimeSink& sink) const {
    for (int i = kDesignedSections - 1; i >= 0; --i)
        Sections[static_cast<std::size_t>(i)].SendRealTime(sink);
}

SectionList TXOVER::Cascade() const {
    SectionList list;
    for (const TXOVERPB* edge : {&LowPass, &HighPass}) {
        const int n = std::clamp(edge->SectionCount, 0, kDesignedSections);
        for (int i = 0; i < n; ++i)
            list.items[list.count++] = &edge->Sections[static_cast<std::size_t>(i)];
    }
    return list;
}

} // namespace vela::dsp
