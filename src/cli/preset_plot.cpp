// preset plot: magnitude and phase of each output's equaliser, crossover and their sum on the
// display grid, with the imported measurement and what the processing makes of it.
#include "core/exit_codes.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "dsp/response.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace vela::cli {
namespace {

constexpr int kWidth = 1400, kHeight = 1040;
constexpr double kTop = 70;  // below the caption and the legend
constexpr double kLowHz = 20.0, kHighHz = 24000.0;

struct Curve {
    QString label;
    QColor color;
    std::vector<double> hz, value;  // NaN values leave a gap
    double width = 2.0;
    Qt::PenStyle style = Qt::SolidLine;
    bool silent = false;  // a muted output: drawn along the floor of the panel, not at its values
};

// A crossover frequency, drawn as a vertical line across the panel.
struct Marker {
    double hz;
    QString label;
    QColor color;
};

struct Panel {
    QString title, axis;
    double low, high, step;
    bool phase;
    std::vector<Curve> curves;
    std::vector<Marker> markers;
    QStringList notes;  // written inside the panel, bottom right
};

double xOf(const QRectF& r, double hz) {
    return r.left() + r.width() * std::log10(hz / kLowHz) / std::log10(kHighHz / kLowHz);
}
double yOf(const QRectF& r, const Panel& p, double v) {
    return r.bottom() - r.height() * (v - p.low) / (p.high - p.low);
}

QString hzText(double hz) { return hz >= 1000 ? QString::number(hz / 1000) + "k" : QString::number(hz); }

// On a wrapped phase the point between two grid points that straddle a turn is interpolated
// across the jump: it belongs to neither side.
bool onPhaseJump(const Curve& c, std::size_t i) {
    if (i == 0 || i + 1 >= c.value.size()) return false;
    return std::abs(c.value[i + 1] - c.value[i - 1]) > 180.0;
}

void drawPanel(QPainter& g, const QRectF& box, const Panel& p) {
    const QRectF r = box.adjusted(84, 34, -16, -40);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(250, 250, 252));
    g.drawRect(r);
    QFont font = g.font();
    font.setPixelSize(12);
    font.setBold(false);
    g.setFont(font);
    // Grid: decades and their 2 and 5, and the value steps.
    for (double decade = 10; decade <= 10000; decade *= 10)
        for (double m : {1.0, 2.0, 5.0}) {
            const double hz = decade * m;
            if (hz < kLowHz || hz > 20000) continue;
            const double x = xOf(r, hz);
            g.setPen(QPen(QColor(215, 215, 222), m == 1.0 ? 1.2 : 0.8));
            g.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
            g.setPen(QColor(70, 70, 80));
            g.drawText(QRectF(x - 30, r.bottom() + 4, 60, 16), Qt::AlignHCenter | Qt::AlignTop, hzText(hz));
        }
    for (double v = p.low; v <= p.high + 1e-9; v += p.step) {
        const double y = yOf(r, p, v);
        g.setPen(QPen(v == 0 ? QColor(150, 150, 160) : QColor(215, 215, 222), v == 0 ? 1.2 : 0.8));
        g.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        g.setPen(QColor(70, 70, 80));
        g.drawText(QRectF(r.left() - 60, y - 8, 54, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    g.drawText(QRectF(r.left(), r.bottom() + 20, r.width(), 16), Qt::AlignHCenter, "Frequency (Hz)");
    g.save();
    g.translate(box.left() + 14, r.center().y());
    g.rotate(-90);
    g.drawText(QRectF(-r.height() / 2, -9, r.height(), 18), Qt::AlignCenter, p.axis);
    g.restore();
    font.setPixelSize(15);
    font.setBold(true);
    g.setFont(font);
    g.drawText(QRectF(r.left(), box.top() + 8, r.width(), 22), Qt::AlignLeft, p.title);
    font.setBold(false);
    font.setPixelSize(12);
    g.setFont(font);

    g.save();
    g.setClipRect(r);
    g.setBrush(Qt::NoBrush);
    std::vector<double> labelled;  // x of the labels drawn so far
    for (const Marker& m : p.markers) {
        const double x = xOf(r, m.hz);
        g.setPen(QPen(m.color, 1.2, Qt::DashDotLine));
        g.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        // A label close to an earlier one goes on the next row.
        const auto row = std::count_if(labelled.begin(), labelled.end(), [&](double e) { return std::abs(e - x) < 150; });
        labelled.push_back(x);
        g.setPen(m.color.darker(130));
        g.drawText(QRectF(x + 3, r.top() + 2 + 16.0 * static_cast<double>(row), 200, 16), Qt::AlignLeft | Qt::AlignTop,
                   m.label);
    }
    for (const Curve& c : p.curves) {
        if (c.silent) {
            // Silence is below any scale: a dotted line along the floor.
            g.setPen(QPen(c.color, c.width, Qt::DotLine, Qt::FlatCap));
            const double y = r.bottom() - c.width;
            g.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            continue;
        }
        QPainterPath path;
        bool open = false;
        double last = 0;
        for (std::size_t i = 0; i < c.hz.size(); ++i) {
            const double v = c.value[i];
            if (!std::isfinite(v) || (p.phase && onPhaseJump(c, i))) {
                open = false;
                continue;
            }
            // A wrapped phase jumps by a turn: the line breaks there instead of crossing the panel.
            if (p.phase && open && std::abs(v - last) > 180.0) open = false;
            const QPointF pt(xOf(r, c.hz[i]), yOf(r, p, std::clamp(v, p.low - p.step, p.high + p.step)));
            if (open)
                path.lineTo(pt);
            else
                path.moveTo(pt);
            open = true;
            last = v;
        }
        g.setPen(QPen(c.color, c.width, c.style, Qt::RoundCap, Qt::RoundJoin));
        g.drawPath(path);
    }
    for (int i = 0; i < p.notes.size(); ++i) {
        // On a light backing, so that the curves beneath do not cross the words.
        const double w = g.fontMetrics().horizontalAdvance(p.notes[i]) + 8;
        const QRectF line(r.right() - 4 - w, r.bottom() - 12 - 16.0 * static_cast<double>(p.notes.size() - i), w, 16);
        g.fillRect(line, QColor(255, 255, 255, 220));
        g.setPen(QColor(40, 40, 50));
        g.drawText(line, Qt::AlignCenter, p.notes[i]);
    }
    g.restore();
    g.setPen(QColor(120, 120, 130));
    g.setBrush(Qt::NoBrush);
    g.drawRect(r);
}

// One legend for all panels, in a row above them, so that it hides no curve.
void drawLegend(QPainter& g, double y, const std::vector<const Curve*>& entries) {
    QFont font = g.font();
    font.setPixelSize(13);
    font.setBold(false);
    g.setFont(font);
    double x = 100;
    for (const Curve* c : entries) {
        g.setPen(QPen(c->color, 3, c->style));
        g.drawLine(QPointF(x, y + 9), QPointF(x + 30, y + 9));
        g.setPen(QColor(40, 40, 50));
        const double w = g.fontMetrics().horizontalAdvance(c->label) + 8;
        g.drawText(QRectF(x + 36, y, w, 18), Qt::AlignLeft | Qt::AlignVCenter, c->label);
        x += 36 + w + 28;
    }
}

std::vector<double> gridHz(const dsp::ResponseGrid& grid, std::size_t n) {
    std::vector<double> hz(n);
    for (std::size_t i = 0; i < n; ++i) hz[i] = grid.frequency(static_cast<int>(i));
    return hz;
}

std::vector<double> degrees(const dsp::ResponseCurve& phase) {
    std::vector<double> out(phase.size());
    for (std::size_t i = 0; i < phase.size(); ++i) out[i] = dsp::WrappedPhaseDegrees(phase[i]);
    return out;
}

std::vector<double> values(const dsp::ResponseCurve& c) { return {c.begin(), c.end()}; }

// Everything drawn of one output: its parts, its total and the measurement through it.
struct OutputResponse {
    std::vector<double> hz;
    dsp::ResponseCurve eqMag{}, eqPhase{}, totalMag{}, totalPhase{};
    bool muted = false;  // gain 0: silent, no total to draw
    double delayMs = 0;  // the output delay, in the total's phase
    std::vector<double> measuredHz, measuredMag, measuredPhase, resultMag, resultPhase;  // empty: none
    std::vector<Marker> crossovers;
    std::string state;  // ", inverted", ", muted"
};

QString frequencyText(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000, 'g', 4) + " kHz" : QString::number(hz, 'g', 4) + " Hz";
}

OutputResponse outputResponse(const PresetParameters& p, int out, const QColor& markerColour) {
    const auto n = static_cast<std::size_t>(out);
    OutputResponse o;
    std::vector<const dsp::TSOS*> bands;
    for (int b = 1; b <= kBandsPerOutput; ++b) bands.push_back(&p.band(out, b));
    dsp::ComputeResponse(p.Grid, bands, o.eqMag, o.eqPhase);
    const auto& xoMag = p.Crossover.Magnitude[n];
    const auto& xoPhase = p.Crossover.Phase[n];
    const double gain = p.OutputGain[n] * p.MuteFactor[n];
    o.muted = gain == 0.0;
    const double levelDb = o.muted ? 0.0 : 20.0 * std::log10(std::abs(gain));
    const double levelPhase = gain < 0.0 ? std::numbers::pi : 0.0;
    // The output delay turns the phase by 2 pi f t; the input delay is common to both outputs.
    o.delayMs = 1000.0 * p.OutputDelay[n] / kSampleRate;
    o.hz = gridHz(p.Grid, dsp::kResponsePoints);
    for (std::size_t i = 0; i < o.totalMag.size(); ++i) {
        const double delayPhase = -2.0 * std::numbers::pi * o.hz[i] * o.delayMs / 1000.0;
        o.totalMag[i] = static_cast<float>(o.eqMag[i] + xoMag[i] + levelDb);
        o.totalPhase[i] = static_cast<float>(o.eqPhase[i] + xoPhase[i] + levelPhase + delayPhase);
    }
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
            o.measuredMag.push_back(inside ? m.magnitude[i] : NAN);
            o.measuredPhase.push_back(inside ? dsp::WrappedPhaseDegrees(m.phase[i]) : NAN);
            o.resultMag.push_back(inside && !o.muted ? m.magnitude[i] + o.totalMag[i] : NAN);
            o.resultPhase.push_back(inside && !o.muted ? dsp::WrappedPhaseDegrees(m.phase[i] + o.totalPhase[i]) : NAN);
        }
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
    Curve c{label, colour, o.hz, phase ? degrees(o.totalPhase) : values(o.totalMag), width};
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
    const auto n = static_cast<std::size_t>(out);
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
    mag.curves.push_back({"Equaliser", eqColour, o.hz, values(o.eqMag)});
    mag.curves.push_back({"Crossover", xoColour, o.hz, values(p.Crossover.Magnitude[n])});
    phase.curves.push_back(totalCurve("Output total", totalColour, o, 5.0, true));
    phase.curves.push_back({"Equaliser", eqColour, o.hz, degrees(o.eqPhase)});
    phase.curves.push_back({"Crossover", xoColour, o.hz, degrees(p.Crossover.Phase[n])});
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

void render(QPainter& g, const PresetParameters& p, const std::string& caption, bool combined) {
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
    QFont font = g.font();
    font.setPixelSize(18);
    font.setBold(true);
    g.setFont(font);
    g.setPen(QColor(20, 20, 30));
    g.drawText(QRectF(16, 8, kWidth - 32, 26), Qt::AlignLeft, QString::fromStdString(caption));
    const std::array<QColor, kOutputs> markerColours{QColor(90, 60, 160), QColor(90, 60, 160)};
    const std::array<QColor, kOutputs> combinedMarkers{QColor(30, 110, 200), QColor(220, 90, 20)};
    std::vector<OutputResponse> outputs;
    for (int out = 0; out < kOutputs; ++out)
        outputs.push_back(outputResponse(p, out, (combined ? combinedMarkers : markerColours)[static_cast<std::size_t>(out)]));
    std::vector<std::pair<Panel, Panel>> panels;
    if (combined)
        panels.push_back(combinedPanels(p, outputs));
    else
        for (int out = 0; out < kOutputs; ++out) panels.push_back(outputPanels(p, outputs, out));
    std::vector<Panel*> magnitudes;
    for (auto& pair : panels) magnitudes.push_back(&pair.first);
    shareMagnitudeScale(magnitudes);

    std::vector<const Curve*> legend;
    for (const auto& [mag, phase] : panels)
        for (const Curve& c : mag.curves)
            if (std::none_of(legend.begin(), legend.end(), [&](const Curve* e) { return e->label == c.label; }))
                legend.push_back(&c);
    drawLegend(g, 40, legend);
    const double w = kWidth / static_cast<double>(panels.size()), h = (kHeight - kTop) / 2.0;
    for (std::size_t i = 0; i < panels.size(); ++i) {
        drawPanel(g, QRectF(static_cast<double>(i) * w, kTop, w, h), panels[i].first);
        drawPanel(g, QRectF(static_cast<double>(i) * w, kTop + h, w, h), panels[i].second);
    }
}

}  // namespace

int runPresetPlot(Context& ctx) {
    const char* usage = "velaupdate preset plot FILE.hdp --out FILE.png|FILE.svg [--layout split|combined]";
    const std::string file = presetFileArgument(ctx, usage);
    const auto out = ctx.args.value("out");
    if (!out || out->empty()) throw std::invalid_argument(std::string("give the picture file: ") + usage);
    const QString target = QString::fromStdString(*out);
    const bool svg = target.endsWith(".svg", Qt::CaseInsensitive);
    if (!svg && !target.endsWith(".png", Qt::CaseInsensitive))
        throw std::invalid_argument("--out: the picture is FILE.png or FILE.svg");
    if (!outputAllowed(ctx, "preset plot", *out, FileKind::Plot, std::span(&file, 1))) return kExitBadInput;
    const std::string layout = ctx.args.value("layout").value_or("split");
    if (layout != "split" && layout != "combined") throw std::invalid_argument("--layout: split or combined");
    const bool combined = layout == "combined";
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    const std::string caption = s->preset.MainSystemName + "  -  " + file;
    bool ok = false;
    if (svg) {
        QSvgGenerator generator;
        generator.setFileName(target);
        generator.setSize(QSize(kWidth, kHeight));
        generator.setViewBox(QRect(0, 0, kWidth, kHeight));
        generator.setTitle(QString::fromStdString(caption));
        QPainter g;
        ok = g.begin(&generator);
        if (ok) {
            render(g, s->preset, caption, combined);
            ok = g.end();
        }
    } else {
        QImage image(kWidth, kHeight, QImage::Format_ARGB32);
        QPainter g(&image);
        render(g, s->preset, caption, combined);
        g.end();
        ok = image.save(target, "PNG");
    }
    if (!ok) {
        std::fprintf(stderr, "velaupdate preset plot: cannot write %s\n", out->c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace vela::cli
