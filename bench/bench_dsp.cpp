// How long the designers take: the sixteen equaliser bands, both crossovers, the six dynamics
// objects, a whole preset's redesign, and the response of an eight-section cascade.

#include "dsp/dynamics.h"
#include "dsp/response.h"
#include "dsp/sos.h"
#include "dsp/xover.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace vela::dsp;
constexpr std::int32_t kFs = 48000;

// Sixteen bands, one of each designed type (codes 1..11, 15..19) with varied parameters.
std::array<TSOS, 16> equaliserBands() {
    constexpr std::uint8_t codes[] = {1, 17, 2, 3, 18, 19, 15, 16, 4, 5, 10, 11, 6, 7, 8, 9};
    std::array<TSOS, 16> bands;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        bands[i].FilterType = codes[i];
        bands[i].Gain = -9.0 + static_cast<double>(i);
        bands[i].Frequency = 40.0 * static_cast<double>(i + 1) * static_cast<double>(i + 1);
        bands[i].Q = 0.5 + 0.3 * static_cast<double>(i);
        bands[i].DspAddress = static_cast<std::int32_t>(i < 8 ? 5 * (i + 1) + 6 : 5 * (i - 7) + 46);
    }
    return bands;
}

// Output 1: Linkwitz-Riley 8 at 100 Hz and Bessel 7 at 5000 Hz; output 2: Butterworth 5 at
// 80 Hz and Linkwitz-Riley 4 at 12000 Hz.
std::array<TXOVER, 2> crossovers() {
    std::array<TXOVER, 2> x;
    auto set = [](TXOVERPB& e, std::uint8_t alignment, int order, double f) {
        e.Alignment = alignment;
        e.Order = order;
        e.Frequency = f;
    };
    set(x[0].HighPass, kAlignLinkwitzRileyHighPass, 8, 100);
    set(x[0].LowPass, kAlignBesselLowPass, 7, 5000);
    set(x[1].HighPass, kAlignButterworthHighPass, 5, 80);
    set(x[1].LowPass, kAlignLinkwitzRileyLowPass, 4, 12000);
    x[0].AssignAddresses(1);
    x[1].AssignAddresses(2);
    return x;
}

std::array<TDYNAMIC, 6> dynamicsObjects() {
    std::array<TDYNAMIC, 6> d;
    for (std::size_t i = 0; i < 3; ++i) {
        d[i].ApplyRmsDefaults(kFs);
        d[i].CompressorOn = 1;
        d[i].GateSetting = 10;
        d[i + 3].ApplyPeakDefaults(kFs);
    }
    return d;
}

void BM_EqualiserBands(benchmark::State& state) {
    auto bands = equaliserBands();
    for (auto _ : state) {
        for (auto& b : bands)
            b.Redesign(kFs);
        benchmark::DoNotOptimize(bands);
    }
}
BENCHMARK(BM_EqualiserBands);

void BM_Crossovers(benchmark::State& state) {
    auto x = crossovers();
    for (auto _ : state) {
        for (auto& c : x) {
            c.HighPass.DesignAtEdgeFrequency(kFs);
            c.LowPass.DesignAtEdgeFrequency(kFs);
        }
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_Crossovers);

void BM_DynamicsObjects(benchmark::State& state) {
    auto d = dynamicsObjects();
    for (auto _ : state) {
        for (auto& o : d)
            o.BuildGainTable();
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_DynamicsObjects);

// Everything a preset needs designed before its image is built.
void BM_WholePreset(benchmark::State& state) {
    auto bands = equaliserBands();
    auto x = crossovers();
    auto d = dynamicsObjects();
    for (auto _ : state) {
        for (auto& b : bands)
            b.Redesign(kFs);
        for (auto& c : x) {
            c.HighPass.DesignAtEdgeFrequency(kFs);
            c.LowPass.DesignAtEdgeFrequency(kFs);
        }
        for (auto& o : d)
            o.BuildGainTable();
        benchmark::DoNotOptimize(bands);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_WholePreset);

void BM_ComputeResponse8(benchmark::State& state) {
    auto x = crossovers();
    x[0].HighPass.DesignAtEdgeFrequency(kFs);
    x[0].LowPass.DesignAtEdgeFrequency(kFs);
    const SectionList cascade = x[0].Cascade(); // 4 + 4 sections
    const ResponseGrid grid(kFs);
    ResponseCurve magnitude{}, phase{};
    for (auto _ : state) {
        ComputeResponse(grid, cascade.span(), magnitude, phase);
        benchmark::DoNotOptimize(magnitude);
        benchmark::DoNotOptimize(phase);
    }
    state.counters["sections"] = static_cast<double>(cascade.count);
}
BENCHMARK(BM_ComputeResponse8);

void BM_ResponseGrid(benchmark::State& state) {
    for (auto _ : state) {
        ResponseGrid grid(kFs);
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(BM_ResponseGrid);

} // namespace
