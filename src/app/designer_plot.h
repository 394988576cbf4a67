#pragma once
// The designer's live response of one output, drawn by the response plot's own code (total,
// equaliser, crossover, measured, measured + output, crossover frequencies), with a handle per
// equaliser band on the equaliser curve: dragging it sets the band's frequency and gain, the
// wheel over it its Q. Also the transfer curve of a dynamics object.

#include <QWidget>

#include <functional>
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

    // Where band 1..8's handle is drawn now.
    QPointF handlePosition(int band) const;
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
    // The bands from the bottom handle to the top one.
    std::vector<int> stackingOrder() const;
    int bandAt(QPointF point) const;
    void dragTo(QPointF point);

    std::function<const PresetParameters&()> preset_;
    ParameterControls& controls_;
    int output_;
    int selected_ = 1;
    int dragging_ = 0;  // the band being dragged, 0 for none
};

// The static curve of a dynamics object: output level against input level, in dB.
class TransferCurveView : public QWidget {
    Q_OBJECT
public:
    TransferCurveView(const std::function<const dsp::TDYNAMIC&()>& dynamics, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<const dsp::TDYNAMIC&()> dynamics_;
};

}  // namespace vela::app
