#include "plot/plot_panel.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vela::plot {
namespace {

double xOf(const QRectF& r, double hz, FrequencySpan s) {
    return r.left() + r.width() * std::log10(hz / s.low) / std::log10(s.high / s.low);
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

}  // namespace

QRectF curveArea(const QRectF& box) { return box.adjusted(84, 34, -16, -40); }

QPointF pointOf(const QRectF& area, const Panel& p, double hz, double value, FrequencySpan span) {
    return {xOf(area, hz, span), yOf(area, p, value)};
}

double hzAt(const QRectF& area, double x, FrequencySpan span) {
    return span.low * std::pow(span.high / span.low, (x - area.left()) / area.width());
}

double valueAt(const QRectF& area, const Panel& p, double y) {
    return p.low + (area.bottom() - y) / area.height() * (p.high - p.low);
}

void drawPanel(QPainter& g, const QRectF& box, const Panel& p, FrequencySpan span) {
    const QRectF r = curveArea(box);
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
            if (hz < span.low || hz > std::min(span.high, 20000.0)) continue;
            const double x = xOf(r, hz, span);
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
        const double x = xOf(r, m.hz, span);
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
            const QPointF pt(xOf(r, c.hz[i], span), yOf(r, p, std::clamp(v, p.low - p.step, p.high + p.step)));
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

}  // namespace vela::plot
