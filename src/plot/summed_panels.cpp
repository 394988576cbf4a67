#include "plot/summed_panels.h"

#include "core/session_state.h"
#include "tune/smoothing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vela::plot {
namespace {

constexpr int kPointsPerOctave = 48;

std::vector<double> viewGrid() {
    std::vector<double> hz;
    for (double f = 20; f <= 20000 * 1.0001; f *= std::pow(2.0, 1.0 / kPointsPerOctave)) hz.push_back(f);
    return hz;
}

std::vector<double> levels(const Response& r) {
    std::vector<double> out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) out[i] = levelDb(r[i]);
    return out;
}

// `early`: seconds of flight taken out, which would turn the phase faster than the points follow.
Response earlier(const std::vector<double>& hz, const Response& r, double early) {
    Response out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) out[i] = r[i] * std::polar(1.0, 2 * std::numbers::pi * hz[i] * early);
    return out;
}

std::vector<double> degrees(const Response& r) {
    std::vector<double> out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) out[i] = std::arg(r[i]) * 180.0 / std::numbers::pi;
    return out;
}

// Minus the slope of the unwrapped phase against angular frequency, in ms; `early` seconds
// taken out of the response are added back.
std::vector<double> groupDelayMs(const std::vector<double>& hz, const Response& r, double early) {
    std::vector<double> out(r.size(), NAN);
    for (std::size_t i = 1; i + 1 < r.size(); ++i) {
        const double turn = std::arg(r[i + 1] / r[i - 1]);
        out[i] = (-turn / (2 * std::numbers::pi * (hz[i + 1] - hz[i - 1])) + early) * 1000.0;
    }
    if (r.size() > 2) {
        out.front() = out[1];
        out.back() = out[r.size() - 2];
    }
    return out;
}

} // namespace

SummedPanels summedPanels(const PresetParameters& p, const std::optional<std::array<DriverResponse, 2>>& drivers,
                          const SummedOptions& o, const std::vector<Overlay>& overlays) {
    SummedPanels s;
    s.magnitude = {"Sum of outputs 1 and 2", "Level (dB)", -30, 12, 6, false, {}, {}, {}};
    s.phase = {"Phase", "Phase (°)", -180, 180, 90, true, {}, {}, {}};
    s.groupDelay = {"Group delay of the sum", "Delay (ms)", 0, 5, 1, false, {}, {}, {}};
    const std::vector<double> hz = viewGrid();
    const auto smoothed = [&](const Response& r) { return tune::smoothedOctave(hz, levels(r), o.smoothing); };
    const std::array<QColor, 2> colours{QColor(30, 110, 200), QColor(220, 90, 20)};
    // A measurement without phase still has the level it gives through the output.
    std::vector<Curve> overlaid;
    for (const Overlay& m : overlays) {
        const auto k = static_cast<std::size_t>(m.output);
        overlaid.push_back({"Output " + QString::number(k + 1) + ", " + m.name +
                                (m.driver.hasPhase ? QString() : QStringLiteral(" (no phase)")),
                            colours[k].darker(150), hz, smoothed(measuredOutput(p, m.output, m.driver, hz, kSampleRate)),
                            1.4, Qt::DotLine});
    }
    if (!drivers) {
        s.magnitude.curves = overlaid;
        s.magnitude.notes << "Name both outputs' measurement files under Inputs and system to see their sum";
        return s;
    }
    std::array<Response, 2> outputs;
    // The flight time both measurements share is taken out of the phase shown: kept, it turns
    // the phase faster than the view's points can follow.
    // (Under a tenth of a millisecond it is the estimate's noise, not a flight.)
    double flight = std::min((*drivers)[0].delay, (*drivers)[1].delay);
    if (flight < 0.0001) flight = 0;
    if (flight > 0)
        s.phase.title = QStringLiteral("Phase, less the %1 ms of flight both measurements share").arg(flight * 1000, 0, 'f', 2);
    for (std::size_t k = 0; k < 2; ++k) {
        const DriverResponse& d = (*drivers)[k];
        const QString name = "Output " + QString::number(k + 1);
        const QString driver = "Driver " + QString::number(k + 1);
        const Response measured = d.at(std::span<const double>(hz));
        outputs[k] = measuredOutput(p, static_cast<int>(k), d, hz, kSampleRate);
        s.magnitude.curves.push_back({driver, colours[k].lighter(140), hz, smoothed(measured), 1.2, Qt::DashLine});
        s.magnitude.curves.push_back({name, colours[k], hz, smoothed(outputs[k]), 1.8});
        if (d.hasPhase) s.phase.curves.push_back({name, colours[k], hz, degrees(earlier(hz, outputs[k], flight)), 1.4});
        if (!d.hasPhase) s.magnitude.notes << name + "'s measurement has no phase: no sum";
    }
    const bool summable = (*drivers)[0].hasPhase && (*drivers)[1].hasPhase;
    std::vector<double> sumDb;
    if (summable) {
        s.hz = hz;
        for (std::size_t i = 0; i < hz.size(); ++i) s.sum.push_back(outputs[0][i] + outputs[1][i]);
        sumDb = smoothed(s.sum);
        const Response sumEarlier = earlier(hz, s.sum, flight);
        s.groupDelayMs = groupDelayMs(hz, sumEarlier, flight);
        const QColor sumColour(20, 20, 30);
        s.magnitude.curves.push_back({"Sum", sumColour, hz, sumDb, 2.6});
        s.phase.curves.push_back({"Sum", sumColour, hz, degrees(sumEarlier), 2.2});
        s.sum = sumEarlier; // the read-out gives the phase as drawn
        s.groupDelay.curves.push_back({"Sum", sumColour, hz, s.groupDelayMs, 2.0});
        // Its scale follows the delay over the level-matched range, the rest clipped.
        double most = 1;
        for (std::size_t i = 0; i < hz.size(); ++i)
            if (hz[i] >= o.low && hz[i] <= o.high && std::isfinite(s.groupDelayMs[i]))
                most = std::max(most, s.groupDelayMs[i]);
        s.groupDelay.high = std::ceil(most * 1.2);
        s.groupDelay.low = std::min(0.0, -std::ceil(most * 0.2));
        s.groupDelay.step = std::max(1.0, std::ceil(s.groupDelay.high / 5));
    }
    // The target sits where the sum (or without one, output 1's result) is level matched to it.
    const std::vector<double>& reference = summable ? sumDb : s.magnitude.curves[1].value;
    double sum = 0;
    int count = 0;
    for (std::size_t i = 0; i < hz.size(); ++i)
        if (hz[i] >= o.low && hz[i] <= o.high && std::isfinite(reference[i])) {
            sum += reference[i] - o.target.at(hz[i]);
            ++count;
        }
    const double offset = count ? sum / count : 0.0;
    std::vector<double> upper, lower;
    for (const double f : hz) {
        upper.push_back(o.target.at(f) + offset + o.toleranceDb);
        lower.push_back(o.target.at(f) + offset - o.toleranceDb);
    }
    s.magnitude.curves.insert(s.magnitude.curves.end(), overlaid.begin(), overlaid.end());
    const QColor band(120, 120, 130);
    const QString tolerance = QString::fromUtf8("Target ±") + QString::number(o.toleranceDb) + " dB";
    s.magnitude.curves.insert(s.magnitude.curves.begin(), Curve{QString(), band, hz, lower, 1.0, Qt::DotLine});
    s.magnitude.curves.insert(s.magnitude.curves.begin(), Curve{tolerance, band, hz, upper, 1.0, Qt::DotLine});
    s.magnitude.high = std::ceil((offset + 12) / 6) * 6;
    s.magnitude.low = s.magnitude.high - 48;
    return s;
}

} // namespace vela::plot
