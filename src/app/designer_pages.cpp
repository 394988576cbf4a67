// The designer's pages: which parameters each shows and where. Every control comes from the
// parameter table through ParameterControls.

#include "app/app_context.h"
#include "app/designer_controls.h"
#include "app/designer_plot.h"
#include "app/designer_window.h"
#include "app/smoothing_list.h"
#include "app/tune_dialog.h"
#include "session/preset_document.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vela::app {
namespace {

std::string n(int i) { return std::to_string(i); }

// Lays controls out in rows of `columns` label-control pairs; a check box is its own label.
class Form {
public:
    Form(ParameterControls& controls, QWidget* parent, int columns)
        : controls_(controls), parent_(parent), grid_(new QGridLayout(parent)), columns_(columns) {
        grid_->setHorizontalSpacing(10);
        grid_->setVerticalSpacing(6);
    }

    QWidget* add(const QString& label, const std::string& key) {
        QWidget* control = controls_.make(key, parent_);
        const int row = count_ / columns_, column = 2 * (count_ % columns_);
        ++count_;
        if (!label.isEmpty()) {
            auto* caption = new QLabel(label, parent_);
            caption->setBuddy(control);
            grid_->addWidget(caption, row, column);
        }
        grid_->addWidget(control, row, column + 1);
        return control;
    }
    // `w` beside the control added last.
    void beside(QWidget* w) { grid_->addWidget(w, (count_ - 1) / columns_, 2 * ((count_ - 1) % columns_) + 2); }
    QGridLayout& grid() { return *grid_; }
    void finish() { grid_->setRowStretch(grid_->rowCount(), 1); }

private:
    ParameterControls& controls_;
    QWidget* parent_;
    QGridLayout* grid_;
    int columns_;
    int count_ = 0;
};

QGroupBox* group(const QString& title, QWidget* parent) { return new QGroupBox(title, parent); }

}  // namespace

QWidget* DesignerWindow::outputPage(int output) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* response = new ResponseView([this]() -> const PresetParameters& { return context_.document.preset(); },
                                      *controls_, output, page);
    response->setMinimumHeight(280);
    response->onBandPressed = [this, output](int band) { selectBand(output, band); };
    responses_[static_cast<std::size_t>(output)] = response;
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(tuneButton(context_.document, this, page));
    scaleRow->addStretch(1);
    auto* scaleLabel = new QLabel(QStringLiteral("dB scale"), page);
    QComboBox* scale = namedList(page);
    scale->addItems({QStringLiteral("Equaliser (±15 dB)"), QStringLiteral("Whole response")});
    scale->setAccessibleName(QStringLiteral("Output %1 dB scale").arg(output + 1));
    scaleLabel->setBuddy(scale);
    connect(scale, &QComboBox::currentIndexChanged, response, [response](int i) {
        response->setScale(i == 0 ? ResponseView::Scale::Equaliser : ResponseView::Scale::Whole);
    });
    scaleRow->addWidget(scaleLabel);
    scaleRow->addWidget(scale);
    QComboBox* smoothing = smoothingList(page, 0);
    smoothing->setAccessibleName(QStringLiteral("Output %1 smoothing").arg(output + 1));
    connect(smoothing, &QComboBox::currentIndexChanged, response,
            [response, smoothing] { response->setSmoothing(smoothingOf(*smoothing)); });
    scaleRow->addWidget(smoothing);
    layout->addLayout(scaleRow);
    layout->addWidget(response, 1);
    auto* sections = new QTabWidget(page);
    sections->setAccessibleName(QStringLiteral("Output %1 sections").arg(output + 1));
    sections->addTab(equaliserPage(output), QStringLiteral("Equaliser"));
    sections->addTab(crossoverPage(output), QStringLiteral("Crossover"));
    sections->addTab(levelPage(output), QStringLiteral("Level and delay"));
    sections->addTab(dynamicsPage(output), QStringLiteral("Dynamics"));
    sections->setFixedHeight(312);
    layout->addWidget(sections);
    return page;
}

QWidget* DesignerWindow::equaliserPage(int output) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    auto* bands = new QWidget(page);
    auto* grid = new QGridLayout(bands);
    grid->setVerticalSpacing(3);
    int column = 1;
    for (const char* title : {"Type", "Frequency", "Gain", "Q"}) {
        auto* legend = new QLabel(QString::fromLatin1(title), bands);
        legend->setProperty("role", "legend");
        grid->addWidget(legend, 0, column++);
    }
    for (int band = 1; band <= kBandsPerOutput; ++band) {
        const std::string key = "eq." + n(output + 1) + "." + n(band) + ".";
        auto* label = new QLabel(QStringLiteral("Band %1").arg(band), bands);
        grid->addWidget(label, band, 0);
        column = 1;
        for (const char* what : {"type", "freq", "gain", "q"}) {
            QWidget* control = controls_->make(key + what, bands);
            control->setMinimumWidth(what[0] == 't' ? 170 : 110);
            if (column == 1) label->setBuddy(control);
            grid->addWidget(control, band, column++);
        }
    }
    grid->setRowStretch(kBandsPerOutput + 1, 1);  // the rows packed under their legends
    row->addWidget(bands);
    auto* coefficients = new QLabel(page);
    coefficients->setProperty("role", "status");
    coefficients->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    coefficients->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A fixed size: new figures redraw the label alone, not the page around it.
    coefficients->setFixedSize(320, 120);
    coefficients->setAccessibleName(QStringLiteral("Output %1 band coefficients").arg(output + 1));
    coefficients_[static_cast<std::size_t>(output)] = coefficients;
    row->addSpacing(24);
    row->addWidget(coefficients, 0, Qt::AlignTop);
    row->addStretch(1);
    return page;
}

QWidget* DesignerWindow::crossoverPage(int output) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    for (const char* edge : {"hp", "lp"}) {
        const bool high = edge[0] == 'h';
        QGroupBox* box = group(high ? QStringLiteral("High-pass") : QStringLiteral("Low-pass"), page);
        Form form(*controls_, box, 2);
        const std::string key = "xover." + n(output + 1) + "." + edge + ".";
        form.add(QStringLiteral("Alignment"), key + "alignment");
        form.add(QStringLiteral("Order"), key + "order");
        form.add(QStringLiteral("Frequency"), key + "freq");
        form.add(QString(), key + "off");
        for (int s = 1; s <= dsp::kDesignedSections; ++s) {
            form.add(QStringLiteral("Section %1 frequency").arg(s), key + "section." + n(s) + ".freq");
            form.add(QStringLiteral("Section %1 Q").arg(s), key + "section." + n(s) + ".q");
        }
        form.finish();
        row->addWidget(box);
    }
    return page;
}

QWidget* DesignerWindow::levelPage(int output) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    QGroupBox* level = group(QStringLiteral("Level"), page);
    Form form(*controls_, level, 1);
    const std::string out = "out." + n(output + 1) + ".";
    form.add(QStringLiteral("Gain"), out + "gain");
    form.add(QString(), out + "mute");
    form.add(QString(), out + "polarity");
    form.add(QStringLiteral("Input routing"), out + "route");
    form.add(QStringLiteral("Sub reinforcement"), out + "loudness");
    form.finish();
    row->addWidget(level);
    QGroupBox* delay = group(QStringLiteral("Delay"), page);
    Form delays(*controls_, delay, 1);
    delays.add(QStringLiteral("Delay"), "delay." + n(output + 1));
    auto* shown = new QLabel(delay);
    shown->setProperty("role", "status");
    shown->setFixedSize(220, 22);
    delayTexts_[static_cast<std::size_t>(output)] = shown;
    delays.grid().addWidget(shown, 1, 1);
    delays.finish();
    row->addWidget(delay);
    row->addStretch(1);
    return page;
}

QWidget* DesignerWindow::dynamicsPage(int output) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    auto* forms = new QVBoxLayout;
    const std::string rms = "rms." + n(output + 1) + ".", peak = "peak." + n(output + 1) + ".";
    QGroupBox* rmsBox = group(QStringLiteral("RMS compressor / limiter"), page);
    Form r(*controls_, rmsBox, 4);
    for (const auto& [label, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Threshold", "threshold"}, {"Ratio", "ratio"}, {"Knee", "knee"}, {"Make-up", "gain"},
             {"Mode", "mode"}, {"", "bypass"}, {"Hold", "hold"}, {"Decay", "decay"},
             {"Time", "time"}, {"Gate", "gate"}, {"Gate ramp", "ramp"}, {"", "bridge"},
             {"Impedance", "impedance"}, {"Box power", "boxpower"}, {"Amp power", "amppower"},
             {"Amp gain", "ampgain"}})
        r.add(QString::fromLatin1(label), rms + key);
    forms->addWidget(rmsBox);
    QGroupBox* peakBox = group(QStringLiteral("Peak limiter"), page);
    Form pk(*controls_, peakBox, 4);
    for (const auto& [label, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Threshold", "threshold"}, {"Ratio", "ratio"}, {"Knee", "knee"}, {"Make-up", "gain"},
             {"Mode", "mode"}, {"", "bypass"}, {"Hold", "hold"}, {"Decay", "decay"},
             {"Gate", "gate"}, {"Gate ramp", "ramp"}})
        pk.add(QString::fromLatin1(label), peak + key);
    forms->addWidget(peakBox);
    row->addLayout(forms, 1);
    const auto at = static_cast<std::size_t>(output);
    // The RMS curve of the settings, and the peak table the unit gets: after opening a file
    // it may be New's, not the settings'.
    auto* rmsCurve = new TransferCurveView(
        [this, at]() -> const dsp::TDYNAMIC& { return context_.document.preset().RmsDynamics[at]; },
        TransferCurveView::Source::StaticCurve, page);
    rmsCurve->setAccessibleName(QStringLiteral("Output %1 RMS transfer curve").arg(output + 1));
    auto* peakCurve = new TransferCurveView(
        [this, at]() -> const dsp::TDYNAMIC& { return context_.document.preset().PeakDynamics[at]; },
        TransferCurveView::Source::GainTable, page);
    peakCurve->setAccessibleName(QStringLiteral("Output %1 peak table the unit gets").arg(output + 1));
    auto* curves = new QGridLayout;
    int column = 0;
    for (auto [curve, title] : {std::pair{rmsCurve, "RMS"}, std::pair{peakCurve, "Peak table sent"}}) {
        curve->setFixedSize(160, 160);
        curves_.push_back(curve);
        auto* legend = new QLabel(QString::fromLatin1(title), page);
        legend->setProperty("role", "legend");
        curves->addWidget(legend, 0, column);
        curves->addWidget(curve, 1, column++);
    }
    // The power check's report: maximum RMS output power and voltage, maximum peak voltage.
    auto* report = new QLabel(page);
    report->setProperty("role", "status");
    report->setAccessibleName(QStringLiteral("Output %1 power report").arg(output + 1));
    report->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    report->setFocusPolicy(Qt::TabFocus);
    powerReports_[at] = report;
    curves->addWidget(report, 2, 0, 1, 2);
    curves->setRowStretch(3, 1);
    row->addLayout(curves);
    return page;
}

QWidget* DesignerWindow::inputsPage() {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    QGroupBox* environment = group(QStringLiteral("Inputs and air"), page);
    Form e(*controls_, environment, 1);
    e.add(QStringLiteral("Temperature"), "temperature");
    e.add(QStringLiteral("Input delay"), "delay.input");
    e.finish();
    left->addWidget(environment);
    QGroupBox* measured = group(QStringLiteral("Measurement"), page);
    Form m(*controls_, measured, 1);
    for (int out = 1; out <= 2; ++out) {
        m.add(QStringLiteral("Output %1 file").arg(out), "import." + n(out))->setMinimumWidth(300);
        auto* browse = new QPushButton(QStringLiteral("Browse..."), measured);
        browse->setAccessibleDescription(QStringLiteral("Choose the output %1 measurement file").arg(out));
        connect(browse, &QPushButton::clicked, this, [this, out] {
            const QString file = chooseMeasurementFile(out);
            if (!file.isEmpty()) controls_->set("import." + n(out), file.toStdString());
        });
        m.beside(browse);
    }
    m.add(QStringLiteral("Format"), "import.type");
    m.add(QStringLiteral("Reference level"), "import.reference");
    m.finish();
    left->addWidget(measured);
    left->addStretch(1);
    row->addLayout(left, 1);
    QGroupBox* info = group(QStringLiteral("System Info"), page);
    Form i(*controls_, info, 1);
    i.add(QStringLiteral("System name"), "name");
    i.add(QStringLiteral("Project"), "project");
    i.add(QStringLiteral("Engineer"), "engineer");
    i.add(QStringLiteral("Comments"), "comments")->setMinimumHeight(120);
    i.finish();
    row->addWidget(info, 1);
    return page;
}

}  // namespace vela::app
