#include "app/fit_preview_view.h"

#include "plot/plot_panel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vela::app {
namespace {

constexpr double kLegendHeight = 26;
constexpr double kToleranceDb = 1.0;

std::vector<double> shifted(const std::vector<double>& v, double db) {
    std::vector<double> out = v;
    for (double& x : out) x += db;
    return out;
}

}  // namespace

FitPreviewView::FitPreviewView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Summed response before and after the fit"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FitPreviewView::setPreview(const FitPreview& preview, const std::vector<tune::FrequencyRange>& unreachable) {
    preview_ = preview;
    unreachable_ = unreachable;
    update();
}

void FitPreviewView::clear() { setPreview({}, {}); }

void FitPreviewView::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(rect(), QColor(250, 250, 252));
    const FitPreview& v = preview_;
    plot::Panel panel{v.magnitudeOnly ? QStringLiteral("Outputs summed as powers (no phase), 1/6 octave, level matched")
                                      : QStringLiteral("Summed response, 1/6 octave, level matched"),
                      QStringLiteral("Level (dB)"), -12, 6, 3, false, {}, {}, {}};
    if (v.hz.empty()) {
        panel.notes << QStringLiteral("The fit's result shows here when it ends");
    } else {
        double lo = 0, hi = 0;
        for (const auto* curve : {&v.before, &v.after, &v.target})
            for (const double x : *curve)
                if (std::isfinite(x)) {
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
        panel.low = std::max(std::floor((lo - 2) / 3) * 3, hi - 48);
        panel.high = std::ceil((hi + 2) / 3) * 3;
        const QColor tolerance(120, 120, 130);
        panel.curves.push_back({QStringLiteral("Target ±1 dB"), tolerance, v.hz, shifted(v.target, kToleranceDb), 1.0,
                                Qt::DotLine});
        panel.curves.push_back({QString(), tolerance, v.hz, shifted(v.target, -kToleranceDb), 1.0, Qt::DotLine});
        panel.curves.push_back({QStringLiteral("Before"), QColor(230, 120, 20), v.hz, v.before, 1.6, Qt::DashLine});
        panel.curves.push_back({QStringLiteral("After"), QColor(30, 110, 200), v.hz, v.after, 2.4});
        for (const tune::FrequencyRange& r : unreachable_) {
            panel.markers.push_back({r.low, QStringLiteral("Cannot follow from"), QColor(190, 30, 60)});
            panel.markers.push_back({r.high, QStringLiteral("to"), QColor(190, 30, 60)});
        }
    }
    const QRectF box = QRectF(rect()).adjusted(0, 0, 0, -kLegendHeight);
    plot::drawPanel(g, box, panel);
    std::vector<const plot::Curve*> legend;
    for (const plot::Curve& c : panel.curves)
        if (!c.label.isEmpty()) legend.push_back(&c);
    plot::drawLegend(g, box.bottom() + 4, legend);
}

}  // namespace vela::app
