// preset plot: magnitude and phase of each output's equaliser, crossover and their sum on the
// display grid, with the imported measurement and what the processing makes of it.
#include "cli/exit_codes.h"
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
};

struct Panel {
    QString title, axis;
    double low, high, step;
    bool phase;
    std::vector<Curve> curves;
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
    for (const Curve& c : p.curves) {
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

// The two panels of one output.
std::pair<Panel, Panel> outputPanels(const PresetParameters& p, int out) {
    const auto n = static_cast<std::size_t>(out);
    std::vector<const dsp::TSOS*> bands;
    for (int b = 1; b <= kBandsPerOutput; ++b) bands.push_back(&p.band(out, b));
    dsp::ResponseCurve eqMag{}, eqPhase{};
    dsp::ComputeResponse(p.Grid, bands, eqMag, eqPhase);
    const auto& xoMag = p.Crossover.Magnitude[n];
    const auto& xoPhase = p.Crossover.Phase[n];
    const double gain = p.OutputGain[n] * p.MuteFactor[n];
    // A muted output has no total to draw; its panels say so.
    const double levelDb = gain == 0.0 ? NAN : 20.0 * std::log10(std::abs(gain));
    const double levelPhase = gain < 0.0 ? std::numbers::pi : 0.0;

    const auto hz = gridHz(p.Grid, dsp::kResponsePoints);
    dsp::ResponseCurve totalMag{}, totalPhase{};
    for (std::size_t i = 0; i < totalMag.size(); ++i) {
        totalMag[i] = static_cast<float>(eqMag[i] + xoMag[i] + levelDb);
        totalPhase[i] = static_cast<float>(eqPhase[i] + xoPhase[i] + levelPhase);
    }
    std::string state;
    if (p.PolOutput[n].on()) state += ", inverted";
    if (p.MuteOutput[n].on()) state += ", muted";
    const std::string o = "Output " + std::to_string(out + 1);
    Panel mag{QString::fromStdString(o + " magnitude" + (state.empty() ? "" : " (" + state.substr(2) + ")")),
              "Magnitude (dB)", 0, 0, 6, false, {}};
    Panel phase{QString::fromStdString(o + " phase"), "Phase (degrees)", -180, 180, 45, true, {}};
    // The total goes first, wide and translucent, so a part that equals it still shows on top.
    const QColor eqColour(30, 110, 200), xoColour(230, 120, 20), totalColour(20, 20, 30, 120), measColour(40, 160, 80),
        resultColour(190, 30, 60);
    mag.curves.push_back({"Output total", totalColour, hz, {totalMag.begin(), totalMag.end()}, 5.0});
    mag.curves.push_back({"Equaliser", eqColour, hz, {eqMag.begin(), eqMag.end()}});
    mag.curves.push_back({"Crossover", xoColour, hz, {xoMag.begin(), xoMag.end()}});
    auto totalDegrees = degrees(totalPhase);
    if (gain == 0.0) std::fill(totalDegrees.begin(), totalDegrees.end(), NAN);
    phase.curves.push_back({"Output total", totalColour, hz, totalDegrees, 5.0});
    phase.curves.push_back({"Equaliser", eqColour, hz, degrees(eqPhase)});
    phase.curves.push_back({"Crossover", xoColour, hz, degrees(xoPhase)});

    const ImportCurve& m = p.Import.curves[n];
    const bool measured = !p.Import.path[n].empty() &&
                          std::any_of(m.magnitude.begin(), m.magnitude.end(), [](float v) { return v != 0.0f; });
    if (measured) {
        const auto mhz = gridHz(p.Grid, kImportPoints);
        std::vector<double> mm(kImportPoints), mp(kImportPoints), rm(kImportPoints), rp(kImportPoints);
        for (std::size_t i = 0; i < kImportPoints; ++i) {
            const bool inside = m.magnitude[i] != kOutsideMagnitude;
            mm[i] = inside ? m.magnitude[i] : NAN;
            mp[i] = inside ? dsp::WrappedPhaseDegrees(m.phase[i]) : NAN;
            rm[i] = inside ? m.magnitude[i] + totalMag[i] : NAN;
            rp[i] = inside ? dsp::WrappedPhaseDegrees(m.phase[i] + totalPhase[i]) : NAN;
        }
        mag.curves.push_back({"Measured", measColour, mhz, mm, 1.6, Qt::DashLine});
        mag.curves.push_back({"Measured + output", resultColour, mhz, rm, 2.0});
        phase.curves.push_back({"Measured", measColour, mhz, mp, 1.6, Qt::DashLine});
        phase.curves.push_back({"Measured + output", resultColour, mhz, rp, 2.0});
    }
    // The magnitude scale follows the curves in the audible band, 6 dB steps, at most 72 dB tall.
    double hi = -1e9, lo = 1e9;
    for (const Curve& c : mag.curves)
        for (std::size_t i = 0; i < c.hz.size(); ++i)
            if (std::isfinite(c.value[i]) && c.hz[i] <= 20000) {
                hi = std::max(hi, c.value[i]);
                lo = std::min(lo, c.value[i]);
            }
    if (hi < lo) hi = lo = 0.0;
    mag.high = std::ceil(std::max(hi, 0.0) / 6.0) * 6.0 + 6.0;
    mag.low = std::max(std::floor(std::min(lo, 0.0) / 6.0) * 6.0 - 6.0, mag.high - 72.0);
    return {mag, phase};
}

void render(QPainter& g, const PresetParameters& p, const std::string& caption) {
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
    QFont font = g.font();
    font.setPixelSize(18);
    font.setBold(true);
    g.setFont(font);
    g.setPen(QColor(20, 20, 30));
    g.drawText(QRectF(16, 8, kWidth - 32, 26), Qt::AlignLeft, QString::fromStdString(caption));
    const double w = kWidth / 2.0, h = (kHeight - kTop) / 2.0;
    std::vector<const Curve*> legend;
    std::vector<std::pair<Panel, Panel>> panels;
    for (int out = 0; out < kOutputs; ++out) panels.push_back(outputPanels(p, out));
    for (const auto& [mag, phase] : panels)
        for (const Curve& c : mag.curves)
            if (std::none_of(legend.begin(), legend.end(), [&](const Curve* e) { return e->label == c.label; }))
                legend.push_back(&c);
    drawLegend(g, 40, legend);
    for (int out = 0; out < kOutputs; ++out) {
        drawPanel(g, QRectF(out * w, kTop, w, h), panels[static_cast<std::size_t>(out)].first);
        drawPanel(g, QRectF(out * w, kTop + h, w, h), panels[static_cast<std::size_t>(out)].second);
    }
}

}  // namespace

int runPresetPlot(Context& ctx) {
    const char* usage = "velaupdate preset plot FILE.hdp --out FILE.png|FILE.svg";
    const std::string file = presetFileArgument(ctx, usage);
    const auto out = ctx.args.value("out");
    if (!out || out->empty()) throw std::invalid_argument(std::string("give the picture file: ") + usage);
    const QString target = QString::fromStdString(*out);
    const bool svg = target.endsWith(".svg", Qt::CaseInsensitive);
    if (!svg && !target.endsWith(".png", Qt::CaseInsensitive))
        throw std::invalid_argument("--out: the picture is FILE.png or FILE.svg");
    if (!outputAllowed(ctx, "preset plot", *out, FileKind::Plot, std::span(&file, 1))) return kExitBadInput;
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
            render(g, s->preset, caption);
            ok = g.end();
        }
    } else {
        QImage image(kWidth, kHeight, QImage::Format_ARGB32);
        QPainter g(&image);
        render(g, s->preset, caption);
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
