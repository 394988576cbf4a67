#pragma once
// One panel of the response plot: a frequency axis from 20 Hz to 24 kHz (or a span of it), a value scale, the
// curves and the crossover markers; and the legend that serves every panel.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

namespace vela::plot {

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

// The frequencies across a panel: all of them, or a part zoomed into.
struct FrequencySpan {
    double low = 20.0, high = 24000.0;
};

void drawPanel(QPainter& g, const QRectF& box, const Panel& p, FrequencySpan span = {});

// Where drawPanel puts the curves inside `box`, and the way between a point there and a
// frequency and a value of the panel: the designer's handles sit on the curves drawn.
QRectF curveArea(const QRectF& box);
QPointF pointOf(const QRectF& area, const Panel& p, double hz, double value, FrequencySpan span = {});
double hzAt(const QRectF& area, double x, FrequencySpan span = {});
double valueAt(const QRectF& area, const Panel& p, double y);

// One legend for all panels, in a row at `y`, so that it hides no curve.
void drawLegend(QPainter& g, double y, const std::vector<const Curve*>& entries);

}  // namespace vela::plot
