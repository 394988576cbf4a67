#pragma once
// The designer's view of the cabinet: both outputs through their processing and their
// measured drivers, their sum with phase, and the sum's group delay, over a target with its
// tolerance band. Smoothing, target and zoom are its own controls; the pointer (or the arrow
// keys) moves a cursor whose frequency, level and phase are read out under the plot.

#include "plot/summed_panels.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vela {
class PresetDocument;
}

namespace vela::app {

class SummedPlot;

class SummedView : public QWidget {
    Q_OBJECT
public:
    SummedView(PresetDocument& document, QWidget* parent = nullptr);
    ~SummedView() override;

    QComboBox* SmoothingList;
    QComboBox* TargetList;
    QDoubleSpinBox* SlopeBox;
    QPushButton* TargetFileButton;
    QDoubleSpinBox* ToleranceBox;
    QSpinBox* FromBox;
    QSpinBox* ToBox;
    QSpinBox* RangeBox;
    SummedPlot* Plot;
    QLabel* ReadOut;
    // Other measurements of the drivers, drawn beside the ones the sum and the fit use.
    QComboBox* OverlayList;
    std::array<QPushButton*, 2> AddOverlayButtons{};
    QPushButton* UseForTuningButton;
    QPushButton* RemoveOverlayButton;
    QLabel* OverlayNotice;
    // The measurement file added for output 1 or 2; replaced by the tests.
    std::function<QString(int output)> chooseOverlayFile;
    // The target file chosen; replaced by the tests.
    std::function<QString()> chooseTargetFile;

    void addOverlay(int output, const QString& path);
    // The selected overlay becomes the measurement its output is tuned with (an undoable edit
    // of the import); the one it replaces stays as an overlay.
    void useForTuning();
    void removeOverlay();
    // A file of frequency and dB points becomes the target, as the Tune dialog reads one; a file
    // that is none leaves the target flat and says why on the plot.
    void loadTargetFile(const QString& path);

    // The cursor at `hz`, read out.
    void moveCursorTo(double hz);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void readOut();

    PresetDocument& document_;
    int listener_ = 0;
    // The drivers as last read, and the import they were read for.
    std::string driversKey_;
    std::optional<std::array<DriverResponse, 2>> drivers_;
    std::string driversWhy_;
    double cursorHz_ = 1000;
    std::optional<tune::Target> fileTarget_;
    std::string targetWhy_;
    struct OverlayFile {
        plot::Overlay overlay;
        std::string path;
        std::int32_t format = 0;
    };
    std::vector<OverlayFile> overlays_;
    void showOverlays();
    void overlayNotice(const QString& text);
    // The edits of one pass of the event loop (a fit applied, a drag) are drawn once.
    QTimer refreshTimer_;
};

// The three panels, drawn one above the other at the span and range chosen.
class SummedPlot : public QWidget {
    Q_OBJECT
public:
    explicit SummedPlot(QWidget* parent = nullptr);
    void setPanels(plot::SummedPanels panels, plot::FrequencySpan span, double rangeDb);
    void setCursorHz(double hz);
    const plot::SummedPanels& panels() const { return panels_; }

    std::function<void(double hz)> onCursor;
    // The wheel over the plot: the span narrowed (factor below 1) or widened about `hz`.
    std::function<void(double hz, double factor)> onZoom;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QRectF panelBox(int i) const;

    plot::SummedPanels panels_;
    plot::FrequencySpan span_;
    double rangeDb_ = 48;
    double cursorHz_ = 1000;
};

}  // namespace vela::app
