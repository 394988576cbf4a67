#include "app/designer_plot.h"

#include "app/designer_controls.h"
#include "dsp/dynamics.h"
#include "dsp/number_text.h"
#include "plot/plot_panel.h"
#include "plot/response_panels.h"
#include "preset/preset_parameters.h"

#include <QMouseEvent>
#include <QPainterPath>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace vela::app {
namespace {

constexpr double kLegendHeight = 26;
constexpr double kHandleRadius = 8;
// The equaliser view: the band gains' range, -15..+12 dB, with room above.
constexpr double kEqualiserLow = -15, kEqualiserHigh = 15, kEqualiserStep = 3;

plot::Panel magnitudePanel(const PresetParameters& p, int output, int smoothing) {
    return plot::responsePanels(p, false, smoothing)[static_cast<std::size_t>(output)].first;
}

QRectF plotBox(const QWidget& w) { return QRectF(w.rect()).adjusted(0, 0, 0, -kLegendHeight); }

// The equaliser curve's value at `hz`, between its grid points on the log axis.
double equaliserAt(const plot::Panel& panel, double hz) {
    for (const plot::Curve& c : panel.curves) {
        if (c.label != "Equaliser" || c.hz.empty()) continue;
        const auto upper = std::lower_bound(c.hz.begin(), c.hz.end(), hz);
        if (upper == c.hz.begin()) return c.value.front();
        if (upper == c.hz.end()) return c.value.back();
        const auto i = static_cast<std::size_t>(upper - c.hz.begin());
        const double t = std::log(hz / c.hz[i - 1]) / std::log(c.hz[i] / c.hz[i - 1]);
        return c.value[i - 1] + t * (c.value[i] - c.value[i - 1]);
    }
    return 0.0;
}

std::string key(int output, int band, const char* what) {
    return "eq." + std::to_string(output + 1) + "." + std::to_string(band) + "." + what;
}

}  // namespace

ResponseView::ResponseView(const std::function<const PresetParameters&()>& preset, ParameterControls& controls,
                           int output, QWidget* parent)
    : QWidget(parent), preset_(preset), controls_(controls), output_(output) {
    // The bands are edited by keyboard in their fields; the plot is for the mouse.
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Output %1 response").arg(output + 1));
    // It paints all of itself: nothing beneath needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

plot::Panel ResponseView::panel() const {
    plot::Panel panel = magnitudePanel(preset_(), output_, smoothing_);
    if (scale_ == Scale::Equaliser) {
        panel.low = kEqualiserLow;
        panel.high = kEqualiserHigh;
        panel.step = kEqualiserStep;
    }
    if (heldScale_) {
        // The handle stays under the pointer only on a scale that holds still.
        panel.low = heldScale_->first;
        panel.high = heldScale_->second;
    }
    return panel;
}

void ResponseView::setScale(Scale scale) {
    scale_ = scale;
    update();
}

void ResponseView::setSmoothing(int fraction) {
    smoothing_ = fraction;
    update();
}

bool ResponseView::hasHandle(int band) const { return preset_().band(output_, band).FilterType != 0; }

QPointF ResponseView::handlePosition(int band) const {
    const PresetParameters& p = preset_();
    const plot::Panel shown = panel();
    const double hz = p.band(output_, band).Frequency;
    return plot::pointOf(plot::curveArea(plotBox(*this)), shown, hz, equaliserAt(shown, hz));
}

void ResponseView::setSelectedBand(int band) {
    selected_ = band;
    update();
}

void ResponseView::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(rect(), QColor(250, 250, 252));
    const PresetParameters& p = preset_();
    const plot::Panel panel = this->panel();
    const QRectF box = plotBox(*this);
    plot::drawPanel(g, box, panel);
    std::vector<const plot::Curve*> legend;
    for (const plot::Curve& c : panel.curves) legend.push_back(&c);
    plot::drawLegend(g, box.bottom() + 4, legend);

    const QRectF area = plot::curveArea(box);
    QFont font = g.font();
    font.setPixelSize(11);
    font.setBold(true);
    g.setFont(font);
    for (const int band : stackingOrder()) {
        const dsp::TSOS& s = p.band(output_, band);
        const QPointF at = plot::pointOf(area, panel, s.Frequency, equaliserAt(panel, s.Frequency));
        const double r = band == selected_ ? kHandleRadius + 2 : kHandleRadius;
        g.setPen(QPen(band == selected_ ? QColor(20, 20, 30) : QColor(255, 255, 255), 2));
        g.setBrush(QColor(30, 110, 200));
        g.drawEllipse(at, r, r);
        g.setPen(Qt::white);
        g.drawText(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QString::number(band));
    }
}

std::vector<int> ResponseView::stackingOrder() const {
    // A bypassed band shapes nothing: a handle would move fields that change no curve. The
    // selected band lies on top of the others.
    std::vector<int> order;
    for (int pass = 0; pass < 2; ++pass)
        for (int band = 1; band <= kBandsPerOutput; ++band)
            if (hasHandle(band) && (band == selected_) == (pass == 1)) order.push_back(band);
    return order;
}

int ResponseView::bandAt(QPointF point) const {
    // The topmost handle under the pointer.
    const std::vector<int> order = stackingOrder();
    for (auto band = order.rbegin(); band != order.rend(); ++band) {
        const QPointF d = handlePosition(*band) - point;
        if (std::hypot(d.x(), d.y()) <= kHandleRadius + 4) return *band;
    }
    return 0;
}

void ResponseView::mousePressEvent(QMouseEvent* event) {
    const int band = bandAt(event->position());
    if (band == 0 || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = band;
    const plot::Panel shown = panel();
    heldScale_ = {shown.low, shown.high};
    setSelectedBand(band);
    if (onBandPressed) onBandPressed(band);
    event->accept();
}

void ResponseView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return QWidget::mouseMoveEvent(event);
    dragTo(event->position());
    event->accept();
}

void ResponseView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_) return QWidget::mouseReleaseEvent(event);
    dragTo(event->position());
    dragging_ = 0;
    heldScale_.reset();
    // The next drag of this band is an undo step of its own.
    controls_.endStep();
    update();
    event->accept();
}

void ResponseView::dragTo(QPointF point) {
    const QRectF area = plot::curveArea(plotBox(*this));
    const double hz = std::clamp(plot::hzAt(area, point.x()), 10.0, 22000.0);
    const std::string drag = "drag " + key(output_, dragging_, "");
    controls_.set(key(output_, dragging_, "freq"), dsp::plainText(std::round(hz * 10) / 10), drag);
    // The gain that puts the equaliser curve, at the band's new frequency, under the pointer.
    const PresetParameters& p = preset_();
    const plot::Panel shown = panel();
    const double wanted = plot::valueAt(area, shown, point.y());
    const dsp::TSOS& s = p.band(output_, dragging_);
    const double gain = s.Gain + wanted - equaliserAt(shown, s.Frequency);
    controls_.set(key(output_, dragging_, "gain"), dsp::plainText(std::round(gain * 10) / 10), drag);
}

void ResponseView::wheelEvent(QWheelEvent* event) {
    const int band = bandAt(event->position());
    if (band == 0 || event->angleDelta().y() == 0) return QWidget::wheelEvent(event);
    setSelectedBand(band);
    if (onBandPressed) onBandPressed(band);
    const double q = preset_().band(output_, band).Q * std::pow(1.15, event->angleDelta().y() / 120.0);
    controls_.set(key(output_, band, "q"), dsp::plainText(std::round(q * 1000) / 1000),
                  "wheel " + key(output_, band, ""));
    event->accept();
}

TransferCurveView::TransferCurveView(const std::function<const dsp::TDYNAMIC&()>& dynamics, Source source,
                                     QWidget* parent)
    : QWidget(parent), dynamics_(dynamics), source_(source) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TransferCurveView::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(rect(), QColor(250, 250, 252));
    const QRectF r = QRectF(rect()).adjusted(34, 10, -10, -26);
    constexpr double low = -96, high = 24;
    const auto x = [&](double db) { return r.left() + r.width() * (db - low) / (high - low); };
    const auto y = [&](double db) { return r.bottom() - r.height() * (std::clamp(db, low, high) - low) / (high - low); };
    QFont font = g.font();
    font.setPixelSize(10);
    g.setFont(font);
    for (double db = low; db <= high; db += 24) {
        g.setPen(QPen(QColor(215, 215, 222), 0.8));
        g.drawLine(QPointF(x(db), r.top()), QPointF(x(db), r.bottom()));
        g.drawLine(QPointF(r.left(), y(db)), QPointF(r.right(), y(db)));
        g.setPen(QColor(70, 70, 80));
        g.drawText(QRectF(x(db) - 20, r.bottom() + 2, 40, 12), Qt::AlignCenter, QString::number(db));
        g.drawText(QRectF(0, y(db) - 6, r.left() - 4, 12), Qt::AlignRight | Qt::AlignVCenter, QString::number(db));
    }
    g.drawText(QRectF(r.left(), r.bottom() + 12, r.width(), 14), Qt::AlignCenter, QStringLiteral("Input (dB)"));
    g.setPen(QPen(QColor(160, 160, 170), 1, Qt::DashLine));
    g.drawLine(QPointF(x(low), y(low)), QPointF(x(high), y(high)));
    const dsp::TDYNAMIC& d = dynamics_();
    QPainterPath path;
    if (source_ == Source::GainTable) {
        // Entry j is the gain at -96 + 3j dB; a muted entry lies below the scale.
        for (int j = 0; j < dsp::kGainTableSize; ++j) {
            const double in = -96.0 + 3.0 * j, gain = d.GainTable[static_cast<std::size_t>(j)];
            const QPointF pt(x(in), y(gain > 0 ? in + 20.0 * std::log10(gain) : low));
            if (j == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
    } else {
        for (int i = 1; i <= d.PointCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const QPointF pt(x(d.LevelDb[at]), y(d.OutDb[at]));
            if (i == 1)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
    }
    g.setPen(QPen(QColor(190, 30, 60), 2));
    g.drawPath(path);
    g.setPen(QColor(120, 120, 130));
    g.setBrush(Qt::NoBrush);
    g.drawRect(r);
}

}  // namespace vela::app
