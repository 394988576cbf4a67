#include "plot/response_panels.h"

#include "core/session_state.h"
#include "dsp/response.h"
#include "preset/output_response.h"
#include "preset/preset_parameters.h"
#include "tune/smoothing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace vela::plot {
namespace {

std::vector<double> gridHz(const dsp::ResponseGrid& grid, std::size_t n) {
    std::vector<double> hz(n);
    for (std::size_t i = 0; i < n; ++i) hz[i] = grid.frequency(static_cast<int>(i));
    return hz;
}

std::vector<double> decibels(const Response& r) {
    std::vector<double> out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) out[i] = levelDb(r[i]);
    return out;
}

std::vector<double> degrees(const Response& r) {
    std::vector<double> out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) out[i] = dsp::WrappedPhaseDegrees(std::arg(r[i]));
    return out;
}

// Everything drawn of one output: its equaliser and crossover, their total and the measurement
// through it.
struct OutputResponse {
    std::vector<double> hz;
    std::vector<double> eqMag, eqPhase, xoMag, xoPhase, totalMag, totalPhase;
    bool muted = false;  // gain 0: silent, no total to draw
    double delayMs = 0;  // the output delay, in the total's phase
    std::vector<double> measuredHz, measuredMag, measuredPhase, resultMag, resultPhase;  // empty: none
    std::vector<Marker> crossovers;
    std::string state;  // ", inverted", ", muted"
};

QString frequencyText(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000, 'g', 4) + " kHz" : QString::number(hz, 'g', 4) + " Hz";
}

OutputResponse outputResponse(const PresetParameters& p, int out, const QColor& markerColour, int smoothing) {
    const auto n = static_cast<std::size_t>(out);
    OutputResponse o;
    o.hz = gridHz(p.Grid, dsp::kResponsePoints);
    const OutputTransfer t = outputTransfer(p, out, o.hz, p.Grid.sampleRate());
    o.eqMag = decibels(t.equaliser);
    o.eqPhase = degrees(t.equaliser);
    o.xoMag = decibels(t.crossover);
    o.xoPhase = degrees(t.crossover);
    o.muted = outputLevel(p, out) == 0.0;
    o.delayMs = 1000.0 * p.OutputDelay[n] / kSampleRate;
    o.totalMag = o.muted ? std::vector<double>(o.hz.size(), 0.0) : decibels(t.total);
    o.totalPhase = degrees(t.total);
    if (p.PolOutput[n].on()) o.state += ", inverted";
    if (p.MuteOutput[n].on()) o.state += ", muted";

    // An edge that is switched off or bypassed crosses over nowhere.
    const dsp::TXOVER& x = p.Crossovers[n];
    const QString name = "Output " + QString::number(out + 1) + " ";
    const auto mark = [&](const dsp::TXOVERPB& edge, bool off, const char* what) {
        if (!off && edge.Alignment != dsp::kAlignBypass)
            o.crossovers.push_back({edge.Frequency, name + what + frequencyText(edge.Frequency), markerColour});
    };
    mark(x.HighPass, p.HighPassOff[n], "HP ");
    mark(x.LowPass, p.LowPassOff[n], "LP ");

    const ImportCurve& m = p.Import.curves[n];
    const bool measured = !p.Import.path[n].empty() &&
                          std::any_of(m.magnitude.begin(), m.magnitude.end(), [](float v) { return v != 0.0f; });
    if (measured) {
        o.measuredHz = gridHz(p.Grid, kImportPoints);
        for (std::size_t i = 0; i < kImportPoints; ++i) {
            const bool inside = m.magnitude[i] != kOutsideMagnitude;
            const auto result = std::polar(std::pow(10.0, m.magnitude[i] / 20.0), double(m.phase[i])) * t.total[i];
            o.measuredMag.push_back(inside ? m.magnitude[i] : NAN);
            o.measuredPhase.push_back(inside ? dsp::WrappedPhaseDegrees(m.phase[i]) : NAN);
            o.resultMag.push_back(inside && !o.muted ? levelDb(result) : NAN);
            o.resultPhase.push_back(inside && !o.muted ? dsp::WrappedPhaseDegrees(std::arg(result)) : NAN);
        }
        o.measuredMag = tune::smoothedOctave(o.measuredHz, o.measuredMag, smoothing);
        o.resultMag = tune::smoothedOctave(o.measuredHz, o.resultMag, smoothing);
    }
    return o;
}

QString delayNote(const QString& whose, double ms) {
    return whose + " includes the output delay of " + QString::number(ms, 'f', 3) + " ms";
}

// The input delay is common to both outputs: it would only turn every phase curve alike.
void noteInputDelay(const PresetParameters& p, QStringList& notes) {
    if (p.InputDelay > 0)
        notes << "Input delay of " + QString::number(1000.0 * p.InputDelay / kSampleRate, 'f', 3) + " ms left out";
}

// A muted output's magnitude lies along the floor; it has no phase to draw.
Curve totalCurve(const QString& label, const QColor& colour, const OutputResponse& o, double width, bool phase) {
    Curve c{label, colour, o.hz, phase ? o.totalPhase : o.totalMag, width};
    if (o.muted) {
        c.label += " (muted: silent)";
        c.silent = !phase;
        if (phase) std::fill(c.value.begin(), c.value.end(), NAN);
    }
    return c;
}

// The two panels of one output.
std::pair<Panel, Panel> outputPanels(const PresetParameters& p, const std::vector<OutputResponse>& outputs, int out) {
    const OutputResponse& o = outputs[static_cast<std::size_t>(out)];
    const std::string title = "Output " + std::to_string(out + 1);
    Panel mag{QString::fromStdString(title + " magnitude" + (o.state.empty() ? "" : " (" + o.state.substr(2) + ")")),
              "Magnitude (dB)", 0, 0, 6, false, {}, o.crossovers, {}};
    Panel phase{QString::fromStdString(title + " phase"), "Phase (degrees)", -180, 180, 45, true, {}, o.crossovers,
                {}};
    if (o.muted) mag.notes << "Muted: the output is silent";
    if (o.delayMs > 0) phase.notes << delayNote("Total", o.delayMs);
    noteInputDelay(p, phase.notes);
    // The total goes first, wide and translucent, so a part that equals it still shows on top.
    const QColor eqColour(30, 110, 200), xoColour(230, 120, 20), totalColour(20, 20, 30, 120), measColour(40, 160, 80),
        resultColour(190, 30, 60);
    mag.curves.push_back(totalCurve("Output total", totalColour, o, 5.0, false));
    mag.curves.push_back({"Equaliser", eqColour, o.hz, o.eqMag});
    mag.curves.push_back({"Crossover", xoColour, o.hz, o.xoMag});
    phase.curves.push_back(totalCurve("Output total", totalColour, o, 5.0, true));
    phase.curves.push_back({"Equaliser", eqColour, o.hz, o.eqPhase});
    phase.curves.push_back({"Crossover", xoColour, o.hz, o.xoPhase});
    if (!o.measuredHz.empty()) {
        mag.curves.push_back({"Measured", measColour, o.measuredHz, o.measuredMag, 1.6, Qt::DashLine});
        mag.curves.push_back({"Measured + output", resultColour, o.measuredHz, o.resultMag, 2.0});
        phase.curves.push_back({"Measured", measColour, o.measuredHz, o.measuredPhase, 1.6, Qt::DashLine});
        phase.curves.push_back({"Measured + output", resultColour, o.measuredHz, o.resultPhase, 2.0});
    }
    return {mag, phase};
}

// Both outputs in one magnitude and one phase panel: their totals and measurements, each in
// its output's colour.
std::pair<Panel, Panel> combinedPanels(const PresetParameters& p, const std::vector<OutputResponse>& outputs) {
    Panel mag{"Outputs 1 and 2 magnitude", "Magnitude (dB)", 0, 0, 6, false, {}, {}, {}};
    Panel phase{"Outputs 1 and 2 phase", "Phase (degrees)", -180, 180, 45, true, {}, {}, {}};
    const std::array<QColor, kOutputs> colours{QColor(30, 110, 200), QColor(220, 90, 20)};
    for (std::size_t n = 0; n < outputs.size(); ++n) {
        const OutputResponse& o = outputs[n];
        const QString name = "Output " + QString::number(n + 1);
        mag.curves.push_back(totalCurve(name, colours[n], o, 3.0, false));
        phase.curves.push_back(totalCurve(name, colours[n], o, 3.0, true));
        if (o.muted) mag.notes << name + " is muted: silent";
        if (o.delayMs > 0) phase.notes << delayNote(name, o.delayMs);
        if (!o.measuredHz.empty()) {
            mag.curves.push_back({name + " measured + output", colours[n].darker(140), o.measuredHz, o.resultMag, 1.6,
                                  Qt::DashLine});
            phase.curves.push_back({name + " measured + output", colours[n].darker(140), o.measuredHz, o.resultPhase,
                                    1.6, Qt::DashLine});
        }
        mag.markers.insert(mag.markers.end(), o.crossovers.begin(), o.crossovers.end());
    }
    noteInputDelay(p, phase.notes);
    phase.markers = mag.markers;
    return {mag, phase};
}

// One dB scale for every magnitude panel, so that the outputs compare at a glance: it follows
// the curves in the audible band, in 6 dB steps, at most 72 dB tall.
void shareMagnitudeScale(std::vector<Panel*> panels) {
    double hi = -1e9, lo = 1e9;
    for (const Panel* panel : panels)
        for (const Curve& c : panel->curves)
            for (std::size_t i = 0; !c.silent && i < c.hz.size(); ++i)
                if (std::isfinite(c.value[i]) && c.hz[i] <= 20000) {
                    hi = std::max(hi, c.value[i]);
                    lo = std::min(lo, c.value[i]);
                }
    if (hi < lo) hi = lo = 0.0;
    const double high = std::ceil(std::max(hi, 0.0) / 6.0) * 6.0 + 6.0;
    const double low = std::max(std::floor(std::min(lo, 0.0) / 6.0) * 6.0 - 6.0, high - 72.0);
    for (Panel* panel : panels) {
        panel->high = high;
        panel->low = low;
    }
}

}  // namespace

std::vector<std::pair<Panel, Panel>> responsePanels(const PresetParameters& p, bool combined, int smoothing) {
    const std::array<QColor, kOutputs> markerColours{QColor(90, 60, 160), QColor(90, 60, 160)};
    const std::array<QColor, kOutputs> combinedMarkers{QColor(30, 110, 200), QColor(220, 90, 20)};
    std::vector<OutputResponse> outputs;
    for (int out = 0; out < kOutputs; ++out)
        outputs.push_back(
            outputResponse(p, out, (combined ? combinedMarkers : markerColours)[static_cast<std::size_t>(out)], smoothing));
    std::vector<std::pair<Panel, Panel>> panels;
    if (combined)
        panels.push_back(combinedPanels(p, outputs));
    else
        for (int out = 0; out < kOutputs; ++out) panels.push_back(outputPanels(p, outputs, out));
    std::vector<Panel*> magnitudes;
    for (auto& pair : panels) magnitudes.push_back(&pair.first);
    shareMagnitudeScale(magnitudes);
    return panels;
}

}  // namespace vela::plot
