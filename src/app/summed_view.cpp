#include "app/summed_view.h"

#include "app/designer_controls.h"
#include "app/smoothing_list.h"
#include "session/cabinet_fit.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"
#include "tune/driver_file.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <QSpinBox>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <stdexcept>
#include <cmath>

namespace vela::app {
namespace {

constexpr double kLegendHeight = 26;

QString hzText(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000, 'f', 2) + QStringLiteral(" kHz")
                      : QString::number(hz, 'f', 0) + QStringLiteral(" Hz");
}

// The value of a curve at the grid point nearest `hz`.
double valueAt(const plot::Curve& c, double hz) {
    if (c.hz.empty()) return NAN;
    const auto at = std::lower_bound(c.hz.begin(), c.hz.end(), hz);
    std::size_t i = static_cast<std::size_t>(std::min(at, c.hz.end() - 1) - c.hz.begin());
    if (i > 0 && std::abs(std::log(c.hz[i - 1] / hz)) < std::abs(std::log(c.hz[i] / hz))) --i;
    return c.value[i];
}

const plot::Curve* curveNamed(const plot::Panel& p, const QString& label) {
    for (const plot::Curve& c : p.curves)
        if (c.label == label) return &c;
    return nullptr;
}

QSpinBox* spinBox(int low, int high, int value, const QString& suffix, const QString& name, QWidget* parent) {
    auto* b = new QSpinBox(parent);
    b->setRange(low, high);
    b->setValue(value);
    b->setSuffix(suffix);
    b->setAccessibleName(name);
    b->setKeyboardTracking(false);
    return b;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

SummedView::SummedView(PresetDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* row = new QHBoxLayout;
    SmoothingList = smoothingList(this, 6);
    TargetList = namedList(this);
    TargetList->addItems({QStringLiteral("Flat"), QStringLiteral("Slope"), QStringLiteral("From a file")});
    TargetList->setAccessibleName(QStringLiteral("Target"));
    TargetFileButton = new QPushButton(QStringLiteral("Target file..."), this);
    TargetFileButton->setAccessibleDescription(QStringLiteral("Choose the target file"));
    SlopeBox = new QDoubleSpinBox(this);
    SlopeBox->setRange(-3, 3);
    SlopeBox->setDecimals(1);
    SlopeBox->setSingleStep(0.1);
    SlopeBox->setValue(-1);
    SlopeBox->setSuffix(QStringLiteral(" dB/oct"));
    SlopeBox->setAccessibleName(QStringLiteral("Target slope"));
    ToleranceBox = new QDoubleSpinBox(this);
    ToleranceBox->setRange(0.5, 6);
    ToleranceBox->setDecimals(1);
    ToleranceBox->setSingleStep(0.5);
    ToleranceBox->setValue(1);
    ToleranceBox->setPrefix(QString::fromUtf8("±"));
    ToleranceBox->setSuffix(QStringLiteral(" dB"));
    ToleranceBox->setAccessibleName(QStringLiteral("Target tolerance"));
    FromBox = spinBox(20, 19000, 20, QStringLiteral(" Hz"), QStringLiteral("Show from"), this);
    ToBox = spinBox(40, 24000, 20000, QStringLiteral(" Hz"), QStringLiteral("Show to"), this);
    RangeBox = spinBox(6, 96, 48, QStringLiteral(" dB"), QStringLiteral("Level range shown"), this);
    RangeBox->setSingleStep(6);
    row->addWidget(caption(QStringLiteral("&Smoothing"), SmoothingList, this));
    row->addWidget(SmoothingList);
    row->addSpacing(12);
    row->addWidget(caption(QStringLiteral("Tar&get"), TargetList, this));
    row->addWidget(TargetList);
    row->addWidget(SlopeBox);
    row->addWidget(TargetFileButton);
    row->addWidget(ToleranceBox);
    row->addSpacing(12);
    row->addWidget(caption(QStringLiteral("Sho&w"), FromBox, this));
    row->addWidget(FromBox);
    row->addWidget(caption(QStringLiteral("to"), ToBox, this));
    row->addWidget(ToBox);
    row->addWidget(caption(QStringLiteral("&Level range"), RangeBox, this));
    row->addWidget(RangeBox);
    row->addStretch(1);
    layout->addLayout(row);
    auto* overlayRow = new QHBoxLayout;
    OverlayList = namedList(this);
    OverlayList->setAccessibleName(QStringLiteral("Overlays"));
    OverlayList->setMinimumWidth(260);
    overlayRow->addWidget(caption(QStringLiteral("&Overlays"), OverlayList, this));
    overlayRow->addWidget(OverlayList);
    for (int k = 0; k < 2; ++k) {
        AddOverlayButtons[static_cast<std::size_t>(k)] =
            new QPushButton(QStringLiteral("Add to output %1...").arg(k + 1), this);
        overlayRow->addWidget(AddOverlayButtons[static_cast<std::size_t>(k)]);
        connect(AddOverlayButtons[static_cast<std::size_t>(k)], &QPushButton::clicked, this, [this, k] {
            const QString file = chooseOverlayFile(k + 1);
            if (!file.isEmpty()) addOverlay(k, file);
        });
    }
    UseForTuningButton = new QPushButton(QStringLiteral("Use for tuning"), this);
    UseForTuningButton->setAccessibleDescription(
        QStringLiteral("The selected overlay becomes the measurement its output is summed and tuned with"));
    RemoveOverlayButton = new QPushButton(QStringLiteral("Remove"), this);
    overlayRow->addWidget(UseForTuningButton);
    overlayRow->addWidget(RemoveOverlayButton);
    OverlayNotice = new QLabel(this);
    OverlayNotice->setProperty("role", "notice");
    OverlayNotice->setWordWrap(true);
    OverlayNotice->hide();
    overlayRow->addWidget(OverlayNotice, 1);
    overlayRow->addStretch(0);
    layout->addLayout(overlayRow);
    connect(UseForTuningButton, &QPushButton::clicked, this, &SummedView::useForTuning);
    connect(RemoveOverlayButton, &QPushButton::clicked, this, &SummedView::removeOverlay);
    chooseOverlayFile = [this](int output) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Output %1 overlay").arg(output), QString(),
                                            QStringLiteral("Exported data (*.txt *.frd);;All files (*)"));
    };
    showOverlays();
    chooseTargetFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Target"), QString(),
                                            QStringLiteral("Target curves (*.txt *.csv);;All files (*)"));
    };
    const auto chooseTarget = [this] {
        const QString file = chooseTargetFile();
        if (!file.isEmpty()) loadTargetFile(file);
    };
    connect(TargetFileButton, &QPushButton::clicked, this, chooseTarget);
    // Choosing "From a file" without one asks for it at once.
    connect(TargetList, &QComboBox::activated, this, [this, chooseTarget](int index) {
        if (index == 2 && !fileTarget_) chooseTarget();
    });

    Plot = new SummedPlot(this);
    layout->addWidget(Plot, 1);
    ReadOut = new QLabel(this);
    ReadOut->setAccessibleName(QStringLiteral("Cursor read-out"));
    ReadOut->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(ReadOut);

    for (QComboBox* list : {SmoothingList, TargetList})
        connect(list, &QComboBox::currentIndexChanged, this, &SummedView::refresh);
    for (QDoubleSpinBox* box : {SlopeBox, ToleranceBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, &SummedView::refresh);
    for (QSpinBox* box : {FromBox, ToBox, RangeBox}) connect(box, &QSpinBox::valueChanged, this, &SummedView::refresh);
    Plot->onCursor = [this](double hz) { moveCursorTo(hz); };
    Plot->onZoom = [this](double hz, double factor) {
        // The frequency under the pointer stays where it is.
        const double from = std::clamp(hz * std::pow(FromBox->value() / hz, factor), 20.0, hz / 1.05);
        const double to = std::clamp(hz * std::pow(ToBox->value() / hz, factor), hz * 1.05, 24000.0);
        const QSignalBlocker quiet(FromBox);
        FromBox->setValue(static_cast<int>(std::round(from)));
        ToBox->setValue(static_cast<int>(std::round(to)));
        refresh();
    };
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &SummedView::refresh);
    listener_ = document_.subscribe([this] { refreshTimer_.start(); });
    refresh();
}

void SummedView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

SummedView::~SummedView() { document_.unsubscribe(listener_); }

void SummedView::refresh() {
    // Hidden, it is brought up to date when shown.
    if (!isVisible()) return;
    const PresetParameters& p = document_.preset();
    // The files are read again only when the import names others.
    const std::string key = std::to_string(p.Import.ImportDataType) + '\n' + p.Import.path[0] + '\n' +
                            p.Import.path[1] + '\n' + document_.path();
    if (key != driversKey_) {
        driversKey_ = key;
        driversWhy_.clear();
        drivers_ = namedDrivers(p, document_.path(), driversWhy_);
    }
    plot::SummedOptions o;
    o.smoothing = smoothingOf(*SmoothingList);
    SlopeBox->setEnabled(TargetList->currentIndex() == 1);
    TargetFileButton->setEnabled(TargetList->currentIndex() == 2);
    if (TargetList->currentIndex() == 1) o.target = tune::Target::slope(SlopeBox->value());
    if (TargetList->currentIndex() == 2 && fileTarget_) o.target = *fileTarget_;
    o.toleranceDb = ToleranceBox->value();
    std::vector<plot::Overlay> overlays;
    for (const OverlayFile& f : overlays_) overlays.push_back(f.overlay);
    plot::SummedPanels panels = plot::summedPanels(p, drivers_, o, overlays);
    if (!drivers_ && !driversWhy_.empty() && !p.Import.path[0].empty() && !p.Import.path[1].empty())
        panels.magnitude.notes = {QString::fromStdString(driversWhy_)};
    if (TargetList->currentIndex() == 2 && !targetWhy_.empty())
        panels.magnitude.notes << QStringLiteral("Target: ") + QString::fromStdString(targetWhy_);
    const double from = FromBox->value(), to = std::max<double>(ToBox->value(), from * 2);
    Plot->setPanels(std::move(panels), {from, to}, RangeBox->value());
    readOut();
}

void SummedView::loadTargetFile(const QString& path) {
    std::string error;
    const auto text = readWholeFile(path.toStdString(), error);
    fileTarget_ = text ? tune::parseTarget(*text, error) : std::nullopt;
    targetWhy_ = fileTarget_ ? std::string() : error;
    TargetFileButton->setText(fileTarget_ ? QFileInfo(path).fileName() + QStringLiteral("...")
                                          : QStringLiteral("Target file..."));
    TargetFileButton->setToolTip(fileTarget_ ? path : QString());
    TargetList->setCurrentIndex(2);
    refresh();
}

void SummedView::addOverlay(int output, const QString& path) {
    std::string error;
    const PresetParameters& p = document_.preset();
    auto d = tune::readDriverFile(path.toStdString(), p.Import.ImportDataType, p.Import.Sensitivity.value(), error);
    if (!d) return overlayNotice(QString::fromStdString(error));
    overlays_.push_back({{output, QFileInfo(path).fileName(), std::move(d->driver)}, path.toStdString(), d->format});
    overlayNotice({});
    showOverlays();
    OverlayList->setCurrentIndex(OverlayList->count() - 1);
    refresh();
}

void SummedView::useForTuning() {
    const int i = OverlayList->currentIndex();
    if (i < 0 || i >= static_cast<int>(overlays_.size())) return;
    const OverlayFile chosen = overlays_[static_cast<std::size_t>(i)];
    const PresetParameters& p = document_.preset();
    // The preset names one format for both outputs' files.
    if (chosen.format != p.Import.ImportDataType)
        return overlayNotice(QStringLiteral("%1 is not in the preset's import format: choose its format under Inputs "
                                            "and system first")
                                 .arg(chosen.overlay.name));
    const int output = chosen.overlay.output;
    const std::string replaced = p.Import.path[static_cast<std::size_t>(output)];
    try {
        document_.set(*findParameter("import." + std::to_string(output + 1)), chosen.path);
    } catch (const std::invalid_argument& e) {
        return overlayNotice(QString::fromUtf8(e.what()));
    }
    overlays_.erase(overlays_.begin() + i);
    overlayNotice({});
    if (!replaced.empty()) addOverlay(output, QString::fromStdString(replaced));
    showOverlays();
    refresh();
}

void SummedView::removeOverlay() {
    const int i = OverlayList->currentIndex();
    if (i < 0 || i >= static_cast<int>(overlays_.size())) return;
    overlays_.erase(overlays_.begin() + i);
    showOverlays();
    refresh();
}

void SummedView::showOverlays() {
    OverlayList->clear();
    for (const OverlayFile& f : overlays_)
        OverlayList->addItem(QStringLiteral("Output %1: %2").arg(f.overlay.output + 1).arg(f.overlay.name));
    if (overlays_.empty()) OverlayList->addItem(QStringLiteral("None"));
    OverlayList->setEnabled(!overlays_.empty());
    UseForTuningButton->setEnabled(!overlays_.empty());
    RemoveOverlayButton->setEnabled(!overlays_.empty());
}

void SummedView::overlayNotice(const QString& text) {
    OverlayNotice->setText(text);
    OverlayNotice->setVisible(!text.isEmpty());
}

void SummedView::moveCursorTo(double hz) {
    cursorHz_ = hz;
    Plot->setCursorHz(hz);
    readOut();
}

void SummedView::readOut() {
    const plot::SummedPanels& s = Plot->panels();
    QStringList parts{QStringLiteral("Cursor %1").arg(hzText(cursorHz_))};
    if (const plot::Curve* sum = curveNamed(s.magnitude, QStringLiteral("Sum"))) {
        parts << QStringLiteral("sum %1 dB").arg(valueAt(*sum, cursorHz_), 0, 'f', 1);
        if (const plot::Curve* phase = curveNamed(s.phase, QStringLiteral("Sum")))
            parts << QString::fromUtf8("phase %1°").arg(valueAt(*phase, cursorHz_), 0, 'f', 0);
        if (const plot::Curve* delay = curveNamed(s.groupDelay, QStringLiteral("Sum")))
            parts << QStringLiteral("group delay %1 ms").arg(valueAt(*delay, cursorHz_), 0, 'f', 2);
    }
    for (int k = 1; k <= 2; ++k)
        if (const plot::Curve* c = curveNamed(s.magnitude, QStringLiteral("Output %1").arg(k)))
            parts << QStringLiteral("output %1 %2 dB").arg(k).arg(valueAt(*c, cursorHz_), 0, 'f', 1);
    ReadOut->setText(parts.join(QStringLiteral(", ")));
}

SummedPlot::SummedPlot(QWidget* parent) : QWidget(parent) {
    // The cursor moves by the arrow keys as well as by the pointer.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Summed response"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumHeight(360);
}

void SummedPlot::setPanels(plot::SummedPanels panels, plot::FrequencySpan span, double rangeDb) {
    panels_ = std::move(panels);
    span_ = span;
    rangeDb_ = rangeDb;
    update();
}

void SummedPlot::setCursorHz(double hz) {
    cursorHz_ = hz;
    update();
}

QRectF SummedPlot::panelBox(int i) const {
    const QRectF all = QRectF(rect()).adjusted(0, 0, 0, -kLegendHeight);
    const double h = all.height();
    const double top[] = {0, 0.5, 0.75, 1};
    return {all.left(), all.top() + h * top[i], all.width(), h * (top[i + 1] - top[i])};
}

void SummedPlot::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(rect(), QColor(250, 250, 252));
    plot::Panel magnitude = panels_.magnitude;
    magnitude.low = magnitude.high - rangeDb_;
    magnitude.step = rangeDb_ > 48 ? 12 : rangeDb_ > 24 ? 6 : rangeDb_ > 12 ? 3 : 1;
    const plot::Panel* drawn[] = {&magnitude, &panels_.phase, &panels_.groupDelay};
    for (int i = 0; i < 3; ++i) plot::drawPanel(g, panelBox(i), *drawn[i], span_);
    std::vector<const plot::Curve*> legend;
    for (const plot::Curve& c : magnitude.curves)
        if (!c.label.isEmpty()) legend.push_back(&c);
    plot::drawLegend(g, height() - kLegendHeight + 4, legend);
    // The cursor, across all three panels.
    const QRectF top = plot::curveArea(panelBox(0)), bottom = plot::curveArea(panelBox(2));
    const double x = plot::pointOf(top, magnitude, cursorHz_, 0, span_).x();
    if (x >= top.left() && x <= top.right()) {
        g.setPen(QPen(hasFocus() ? QColor(190, 30, 60) : QColor(120, 60, 80), 1, Qt::SolidLine));
        g.drawLine(QPointF(x, top.top()), QPointF(x, bottom.bottom()));
    }
}

void SummedPlot::mouseMoveEvent(QMouseEvent* event) {
    const QRectF area = plot::curveArea(panelBox(0));
    if (event->position().x() < area.left() || event->position().x() > area.right()) return;
    if (onCursor) onCursor(plot::hzAt(area, event->position().x(), span_));
}

void SummedPlot::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    mouseMoveEvent(event);
}

void SummedPlot::wheelEvent(QWheelEvent* event) {
    const QRectF area = plot::curveArea(panelBox(0));
    if (event->angleDelta().y() == 0 || !onZoom) return QWidget::wheelEvent(event);
    const double x = std::clamp(event->position().x(), area.left(), area.right());
    onZoom(plot::hzAt(area, x, span_), std::pow(0.85, event->angleDelta().y() / 120.0));
    event->accept();
}

void SummedPlot::keyPressEvent(QKeyEvent* event) {
    // 1/24 octave a step, 1/3 octave with Page Up and Page Down.
    double octaves = 0;
    switch (event->key()) {
    case Qt::Key_Left: octaves = -1.0 / 24; break;
    case Qt::Key_Right: octaves = 1.0 / 24; break;
    case Qt::Key_PageDown: octaves = -1.0 / 3; break;
    case Qt::Key_PageUp: octaves = 1.0 / 3; break;
    default: return QWidget::keyPressEvent(event);
    }
    const double hz = std::clamp(cursorHz_ * std::pow(2.0, octaves), span_.low, span_.high);
    if (onCursor) onCursor(hz);
    event->accept();
}

}  // namespace vela::app
