#pragma once
// The designer's live response of one output, drawn by the response plot's own code (total,
// equaliser, crossover, measured, measured + output, crossover frequencies), with a handle per
// working equaliser band on the equaliser curve: dragging it sets the band's frequency and
// gain, the wheel over it its Q. The dB scale follows the whole response or shows the
// equaliser's range, and holds still while a handle is dragged. Also the transfer curves of
// the dynamics objects.

#include <QWidget>

#include "plot/plot_panel.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vela {
struct PresetParameters;
namespace dsp {
class TDYNAMIC;
}
}  // namespace vela

namespace vela::app {

class ParameterControls;

class ResponseView : public QWidget {
    Q_OBJECT
public:
    ResponseView(const std::function<const PresetParameters&()>& preset, ParameterControls& controls, int output,
                 QWidget* parent = nullptr);

    // The dB scale: the whole response's, or the equaliser's +-15 dB.
    enum class Scale { Whole, Equaliser };
    void setScale(Scale scale);
    Scale scale() const { return scale_; }
    // The measured traces smoothed to 1/N octave, 0 for none.
    void setSmoothing(int fraction);

    // Where band 1..8's handle is drawn now.
    QPointF handlePosition(int band) const;
    // Whether the band has a handle to drag: a bypassed band has none.
    bool hasHandle(int band) const;
    // The selected band is drawn marked.
    void setSelectedBand(int band);
    int selectedBand() const { return selected_; }

    // A handle was pressed.
    std::function<void(int band)> onBandPressed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The magnitude panel as drawn: its scale held during a drag.
    plot::Panel panel() const;
    // The bands with a handle, from the bottom handle to the top one.
    std::vector<int> stackingOrder() const;
    int bandAt(QPointF point) const;
    void dragTo(QPointF point);

    std::function<const PresetParameters&()> preset_;
    ParameterControls& controls_;
    int output_;
    int selected_ = 1;
    int dragging_ = 0;  // the band being dragged, 0 for none
    Scale scale_ = Scale::Equaliser;
    int smoothing_ = 0;
    std::optional<std::pair<double, double>> heldScale_;  // low and high dB while dragging
};

// Output level against input level, in dB, of a dynamics object: its static curve, or the
// gain table the unit gets (one point per 3 dB), which for a peak limiter may be another
// design than its settings.
class TransferCurveView : public QWidget {
    Q_OBJECT
public:
    enum class Source { StaticCurve, GainTable };
    TransferCurveView(const std::function<const dsp::TDYNAMIC&()>& dynamics, Source source, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<const dsp::TDYNAMIC&()> dynamics_;
    Source source_;
};

}  // namespace vela::app
