#include "plot/response_plot.h"

#include "plot/response_panels.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>

namespace vela::plot {
namespace {

constexpr double kWidth = kResponsePlotSize.width(), kHeight = kResponsePlotSize.height();
constexpr double kTop = 70;  // below the caption and the legend

// The caption, the legend and the panels, laid out on the plot's own size.
void drawAtOwnSize(QPainter& g, const PresetParameters& p, const std::string& caption, bool combined) {
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
    QFont font = g.font();
    font.setPixelSize(18);
    font.setBold(true);
    g.setFont(font);
    g.setPen(QColor(20, 20, 30));
    g.drawText(QRectF(16, 8, kWidth - 32, 26), Qt::AlignLeft, QString::fromStdString(caption));
    const std::vector<std::pair<Panel, Panel>> panels = responsePanels(p, combined);

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

bool isSvg(const QString& file) { return file.endsWith(".svg", Qt::CaseInsensitive); }

}  // namespace

void drawResponsePlot(QPainter& painter, const QRectF& target, const PresetParameters& preset,
                      const std::string& caption, bool combined) {
    const double scale = std::min(target.width() / kWidth, target.height() / kHeight);
    painter.save();
    painter.translate(target.center() - QPointF(kWidth, kHeight) * scale / 2);
    painter.scale(scale, scale);
    drawAtOwnSize(painter, preset, caption, combined);
    painter.restore();
}

bool isPlotFileName(const std::string& file) {
    const QString name = QString::fromStdString(file);
    return isSvg(name) || name.endsWith(".png", Qt::CaseInsensitive);
}

bool saveResponsePlot(const std::string& file, const PresetParameters& preset, const std::string& caption,
                      bool combined, std::string& error) {
    if (!isPlotFileName(file)) {
        error = "the picture is FILE.png or FILE.svg";
        return false;
    }
    const QString name = QString::fromStdString(file);
    QSaveFile out(name);
    // A writable file in a folder we may not write to is still written, in place.
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly)) {
        error = out.errorString().toStdString();
        return false;
    }
    bool written = false;
    if (isSvg(name)) {
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setSize(kResponsePlotSize);
        generator.setViewBox(QRect(QPoint(0, 0), kResponsePlotSize));
        generator.setTitle(QString::fromStdString(caption));
        QPainter g;
        written = g.begin(&generator);
        if (written) {
            drawAtOwnSize(g, preset, caption, combined);
            written = g.end();
        }
    } else {
        QImage image(kResponsePlotSize, QImage::Format_ARGB32);
        QPainter g(&image);
        drawAtOwnSize(g, preset, caption, combined);
        g.end();
        written = image.save(&out, "PNG");
    }
    if (written && out.commit()) return true;
    error = out.error() != QFileDevice::NoError ? out.errorString().toStdString() : "the picture could not be drawn";
    return false;
}

}  // namespace vela::plot
