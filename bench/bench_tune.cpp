// A full fit of a two-way cabinet: a 5" woofer and a 1" tweeter modelled as minimum-phase
// analogue responses (box high-pass, baffle step, cone breakup, the tweeter's resonance and
// waveguide ripple, the woofer's acoustic centre behind the tweeter's), measured at 1/48-octave
// points. Prints the fit's time and the deviation of the 1/6-octave smoothed sum from flat over
// 150 Hz - 15 kHz before and after, and what it chose.
// bench_tune WOOFER TWEETER fits two measurement exports instead (FRD, as preset tune reads them).
#include "preset/new_preset.h"
#include "tune/driver_file.h"
#include "tune/fitter.h"
#include "tune/quiet_ui.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>

namespace {

using cd = std::complex<double>;
using namespace vela;

cd jf(double f, double f0) {
    return {0.0, f / f0};
}
cd highPass2(double f, double f0, double q) {
    const cd s = jf(f, f0);
    return s * s / (s * s + s / q + 1.0);
}
cd lowPass2(double f, double f0, double q) {
    const cd s = jf(f, f0);
    return 1.0 / (s * s + s / q + 1.0);
}
cd highPass1(double f, double f0) {
    const cd s = jf(f, f0);
    return s / (s + 1.0);
}
cd lowPass1(double f, double f0) {
    return 1.0 / (jf(f, f0) + 1.0);
}
cd peaking(double f, double f0, double q, double db) {
    const cd s = jf(f, f0);
    const double a = std::pow(10.0, db / 40.0);
    return (s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0);
}
// The baffle step: 6 dB more level above the baffle's size, a first-order shelf.
cd baffleStep(double f, double low) {
    return (1.0 + jf(f, low)) / (1.0 + jf(f, 2.0 * low)) * 0.5;
}
cd delay(double f, double seconds) {
    return std::exp(cd(0.0, -2.0 * std::numbers::pi * f * seconds));
}

cd woofer(double f) {
    return 1.4 * highPass2(f, 72, 0.75) * baffleStep(f, 450) * peaking(f, 1200, 3.0, 1.5) *
           peaking(f, 2800, 4.0, -2.0) * lowPass1(f, 3000) * peaking(f, 5600, 5.0, 8.0) *
           lowPass2(f, 7000, 0.6) * delay(f, 0.00009);
}

cd tweeter(double f) {
    return 1.6 * highPass2(f, 850, 1.2) * highPass1(f, 500) * peaking(f, 3600, 2.0, 2.5) *
           peaking(f, 9000, 3.0, -2.0) * peaking(f, 16000, 4.0, 1.5) * lowPass2(f, 26000, 0.7);
}

DriverResponse measure(const std::function<cd(double)>& driver) {
    MeasuredCurve m;
    for (double f = 10.0; f < 23000.0; f *= std::exp2(1.0 / 48)) {
        const cd h = driver(f);
        m.frequency.push_back(static_cast<float>(f));
        m.magnitude.push_back(static_cast<float>(90.0 + 20.0 * std::log10(std::abs(h))));
        m.phase.push_back(static_cast<float>(std::arg(h) * 180.0 / std::numbers::pi));
    }
    return driverResponse(m, true, true);
}

DriverResponse readOrExit(const char* path) {
    std::string error;
    auto d = tune::readDriverFile(path, kFrdFormat, kDefaultSensitivity, error);
    if (!d) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(2);
    }
    return std::move(d->driver);
}

} // namespace

int main(int argc, char** argv) {
    auto p = std::make_unique<PresetParameters>();
    tune::QuietUi ui;
    SessionState state;
    PresetContext c{*p, state, ui, kSampleRate, nullptr};
    ResetPreset(c);
    const std::array<DriverResponse, 2> drivers = argc == 3 ? std::array{readOrExit(argv[1]), readOrExit(argv[2])}
                                                            : std::array{measure(woofer), measure(tweeter)};

    tune::FitResult r;
    std::vector<double> seconds;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        r = tune::fitCabinet(*p, drivers, {});
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("full fit: %.2f s (median of 3; fastest %.2f s, slowest %.2f s)\n", seconds[1], seconds[0],
                seconds[2]);
    std::printf("1/6-octave smoothed sum against flat, 150-15000 Hz:\n");
    std::printf("  before: RMS %.3f dB, largest %.3f dB\n", r.before.rmsDb, r.before.maxDb);
    std::printf("  after:  RMS %.3f dB, largest %.3f dB (goal 0.25 / 0.75)\n", r.after.rmsDb, r.after.maxDb);
    for (const tune::FrequencyRange& g : r.unreachable)
        std::printf("  cannot follow %.0f-%.0f Hz\n", g.low, g.high);
    tune::FitOptions crossoverOnly;
    crossoverOnly.keepEqualiser = true;
    const tune::FitResult x = tune::fitCabinet(*p, drivers, crossoverOnly);
    std::printf("  crossover, levels and alignment alone: RMS %.3f dB, largest %.3f dB\n", x.after.rmsDb,
                x.after.maxDb);
    for (std::size_t k = 0; k < 2; ++k) {
        const tune::OutputChoice& o = r.outputs[k];
        std::printf(
            "output %zu: %s alignment %d order %d at %d Hz, level %.1f dB, %s, delay %d samples, %zu bands\n",
            k + 1, o.lowPass ? "low-pass" : "high-pass", o.edge.alignment, o.edge.order, o.edge.hz, o.levelDb,
            o.inverted ? "inverted" : "normal", o.delaySamples, o.bands.size());
    }
    return r.after.rmsDb <= 0.25 && r.after.maxDb <= 0.75 && seconds[1] <= 5.0 ? 0 : 1;
}
