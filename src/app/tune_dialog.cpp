#include "app/tune_dialog.h"

#include "app/designer_controls.h"
#include "app/fit_preview_view.h"
#include "app/scrolling_area.h"
#include "dsp/number_text.h"
#include "session/preset_document.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace vela::app {
namespace {

enum TargetKind { Flat, Slope, File };

QString figuresText(const tune::Figures& f) {
    return QStringLiteral("RMS %1 dB, largest %2 dB").arg(f.rmsDb, 0, 'f', 2).arg(f.maxDb, 0, 'f', 2);
}

QString hzText(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000, 'f', 2) + QStringLiteral(" kHz")
                      : QString::number(hz, 'f', 0) + QStringLiteral(" Hz");
}

QString edgeText(const tune::OutputChoice& c) {
    static const char* const names[] = {"bypass", "Butterworth", "Linkwitz-Riley", "Bessel", "custom"};
    const QString side = c.lowPass ? QStringLiteral("low-pass") : QStringLiteral("high-pass");
    if (c.edge.alignment == 0) return side + QStringLiteral(" bypass");
    return QStringLiteral("%1 %2 order %3 at %4 Hz")
        .arg(side, QLatin1String(names[std::min((c.edge.alignment + 1) / 2, 4)]))
        .arg(c.edge.order)
        .arg(c.edge.hz);
}

// What the fit chose and how close it came, as the engineer reads it before applying it.
QString resultText(const tune::FitResult& r, bool magnitudeOnly) {
    QStringList lines;
    if (magnitudeOnly)
        lines << QStringLiteral("Magnitude only: each output against the target through its own crossover; "
                                "the sum is not judged");
    lines << QStringLiteral("Before: ") + figuresText(r.before);
    lines << QStringLiteral("After: ") + figuresText(r.after);
    for (const tune::FrequencyRange& g : r.unreachable)
        lines << QStringLiteral("Cannot follow the target from %1 to %2: left out of the figures")
                     .arg(hzText(g.low), hzText(g.high));
    for (std::size_t k = 0; k < r.outputs.size(); ++k) {
        const tune::OutputChoice& c = r.outputs[k];
        lines << QStringLiteral("Output %1: %2, level %3 dB, %4, delay %5 %6, %7 equaliser bands")
                     .arg(k + 1)
                     .arg(edgeText(c))
                     .arg(c.levelDb, 0, 'f', 1)
                     .arg(c.inverted ? QStringLiteral("inverted") : QStringLiteral("normal polarity"))
                     .arg(c.delaySamples)
                     .arg(c.delaySamples == 1 ? QStringLiteral("sample") : QStringLiteral("samples"))
                     .arg(c.bands.size());
    }
    return lines.join('\n');
}

}  // namespace

TuneDialog::TuneDialog(PresetDocument& document, QWidget* parent) : QDialog(parent), document_(document) {
    setWindowTitle(QStringLiteral("Tune the cabinet"));
    setAccessibleName(QStringLiteral("Tune the cabinet"));
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);

    auto* options = new QGroupBox(QStringLiteral("Fit"), content);
    auto* form = new QFormLayout(options);
    // Fields at their own width: on a narrow screen a stretched field is wider than the view.
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    TargetList = namedList(options);
    TargetList->addItems({QStringLiteral("Flat"), QStringLiteral("Slope"), QStringLiteral("From a file")});
    TargetList->setAccessibleName(QStringLiteral("Target"));
    form->addRow(QStringLiteral("&Target"), TargetList);
    SlopeBox = new QDoubleSpinBox(options);
    SlopeBox->setRange(-3, 3);
    SlopeBox->setDecimals(1);
    SlopeBox->setSingleStep(0.1);
    SlopeBox->setValue(-1);
    SlopeBox->setSuffix(QStringLiteral(" dB/octave"));
    SlopeBox->setAccessibleName(QStringLiteral("Target slope"));
    form->addRow(QStringLiteral("S&lope through 0 dB at 1 kHz"), SlopeBox);
    auto* fileRow = new QHBoxLayout;
    TargetFileEdit = new QLineEdit(options);
    TargetFileEdit->setAccessibleName(QStringLiteral("Target file"));
    TargetFileEdit->setMinimumWidth(280);
    TargetFileButton = new QPushButton(QStringLiteral("Browse..."), options);
    TargetFileButton->setAccessibleDescription(QStringLiteral("Choose the target file"));
    fileRow->addWidget(TargetFileEdit, 1);
    fileRow->addWidget(TargetFileButton);
    auto* fileLabel = new QLabel(QStringLiteral("Target &file"), options);
    fileLabel->setBuddy(TargetFileEdit);
    form->addRow(fileLabel, fileRow);
    auto* rangeRow = new QHBoxLayout;
    LowBox = new QSpinBox(options);
    HighBox = new QSpinBox(options);
    for (QSpinBox* b : {LowBox, HighBox}) {
        b->setRange(20, 20000);
        b->setSuffix(QStringLiteral(" Hz"));
        rangeRow->addWidget(b);
    }
    LowBox->setValue(150);
    HighBox->setValue(15000);
    LowBox->setAccessibleName(QStringLiteral("Range from"));
    HighBox->setAccessibleName(QStringLiteral("Range to"));
    rangeRow->insertWidget(1, new QLabel(QStringLiteral("to"), options));
    rangeRow->addStretch(1);
    auto* rangeLabel = new QLabel(QStringLiteral("&Range"), options);
    rangeLabel->setBuddy(LowBox);
    form->addRow(rangeLabel, rangeRow);
    auto* keepRow = new QHBoxLayout;
    KeepCrossoverBox = new QCheckBox(QStringLiteral("Hold the &crossover"), options);
    KeepAlignmentBox = new QCheckBox(QStringLiteral("Hold the &alignment (level, delay, polarity)"), options);
    KeepEqualiserBox = new QCheckBox(QStringLiteral("Hold the &equaliser"), options);
    for (QCheckBox* b : {KeepCrossoverBox, KeepAlignmentBox, KeepEqualiserBox}) keepRow->addWidget(b);
    keepRow->addStretch(1);
    form->addRow(QString(), keepRow);
    MagnitudeOnlyBox = new QCheckBox(
        QStringLiteral("&Magnitude only: each output alone, for measurements without phase"),
        options);
    form->addRow(QString(), MagnitudeOnlyBox);
    MaxBoostBox = new QDoubleSpinBox(options);
    MaxBoostBox->setRange(0, 12);
    MaxBoostBox->setDecimals(1);
    MaxBoostBox->setValue(6);
    MaxBoostBox->setSuffix(QStringLiteral(" dB"));
    MaxBoostBox->setAccessibleName(QStringLiteral("Largest boost of a band"));
    form->addRow(QStringLiteral("Largest &boost of a band"), MaxBoostBox);
    layout->addWidget(options);

    auto* runRow = new QHBoxLayout;
    FitButton = new QPushButton(QStringLiteral("Fit"), content);
    FitButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), content);
    CancelButton->setAccessibleDescription(QStringLiteral("Cancel the fit"));
    Progress = new QProgressBar(content);
    Progress->setRange(0, 100);
    Progress->setAccessibleName(QStringLiteral("Fit progress"));
    runRow->addWidget(FitButton);
    runRow->addWidget(CancelButton);
    runRow->addWidget(Progress, 1);
    layout->addLayout(runRow);
    StatusText = new QLabel(content);
    StatusText->setWordWrap(true);
    layout->addWidget(StatusText);

    Preview = new FitPreviewView(content);
    Preview->setMinimumSize(640, 260);
    layout->addWidget(Preview, 1);
    FiguresText = new QLabel(content);
    FiguresText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    FiguresText->setAccessibleName(QStringLiteral("Fit result"));
    layout->addWidget(FiguresText);

    auto* endRow = new QHBoxLayout;
    endRow->addStretch(1);
    ApplyButton = new QPushButton(QStringLiteral("Apply"), content);
    ApplyButton->setAccessibleDescription(QStringLiteral("Apply the fit to the preset as one step"));
    CloseButton = new QPushButton(QStringLiteral("Close"), content);
    endRow->addWidget(ApplyButton);
    endRow->addWidget(CloseButton);
    layout->addLayout(endRow);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    area_ = scrollingArea(content, this);
    // The preview takes whatever room the dialog has beyond its controls.
    area_->setWidgetResizable(true);
    outer->addWidget(area_);

    connect(TargetList, &QComboBox::currentIndexChanged, this, &TuneDialog::showState);
    connect(MagnitudeOnlyBox, &QCheckBox::toggled, this, &TuneDialog::showState);
    connect(TargetFileButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Target"), TargetFileEdit->text(),
                                                          QStringLiteral("Target curves (*.txt *.csv);;All files (*)"));
        if (!file.isEmpty()) TargetFileEdit->setText(file);
    });
    connect(FitButton, &QPushButton::clicked, this, &TuneDialog::FitButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TuneDialog::CancelButtonClick);
    connect(ApplyButton, &QPushButton::clicked, this, &TuneDialog::ApplyButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TuneDialog::reject);
    // The fit's thread only stores how far it is; the bar follows at the timer's pace, so that
    // no flood of progress reaches the window.
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        std::lock_guard lock(progressMutex_);
        Progress->setValue(percent_);
        if (!step_.empty()) Progress->setFormat(QStringLiteral("%p%: ") + QString::fromStdString(step_));
    });
    if (parent) parent->installEventFilter(this);
    showState();
}

TuneDialog::~TuneDialog() { fit_.stop(); }

bool TuneDialog::eventFilter(QObject* watched, QEvent* event) {
    // A minimised designer (a hide the window system sends) leaves the fit running.
    if (watched == parentWidget() && event->type() == QEvent::Hide && !event->spontaneous() && isVisible())
        reject();
    return QDialog::eventFilter(watched, event);
}

void TuneDialog::showEvent(QShowEvent* event) {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (const QScreen* screen = owner ? owner->screen() : this->screen()) {
        // The window system's frame is known once the dialog was mapped; before, the frame
        // that Qt itself reckons with when it places a dialog.
        QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        if (frame.isNull()) frame = QMargins(5, 35, 5, 5);
        const QSize room = screen->availableGeometry().size().shrunkBy(frame);
        // At first all of it where the screen has room; later the size the engineer left it at.
        const QSize wanted = sized_ ? size() : scrollingSize(area_, area_->widget()->sizeHint(), room);
        resize(wanted.boundedTo(room));
        sized_ = true;
    }
    // Centres the dialog over its window, inside the screen.
    QDialog::showEvent(event);
}

void TuneDialog::showState() {
    const bool running = !finished_;
    for (QWidget* w : std::initializer_list<QWidget*>{TargetList, LowBox, HighBox, KeepEqualiserBox, MagnitudeOnlyBox,
                                                      MaxBoostBox, FitButton})
        w->setEnabled(!running);
    // A magnitude-only fit holds the crossover and the alignment: there is no sum to choose them by.
    for (QCheckBox* b : {KeepCrossoverBox, KeepAlignmentBox}) b->setEnabled(!running && !MagnitudeOnlyBox->isChecked());
    SlopeBox->setEnabled(!running && TargetList->currentIndex() == Slope);
    TargetFileEdit->setEnabled(!running && TargetList->currentIndex() == File);
    TargetFileButton->setEnabled(TargetFileEdit->isEnabled());
    CancelButton->setEnabled(running);
    ApplyButton->setEnabled(!running && outcome_.result.has_value());
}

void TuneDialog::say(const QString& text, bool notice) {
    StatusText->setText(text);
    StatusText->setProperty("role", notice ? "notice" : "status");
    StatusText->style()->unpolish(StatusText);
    StatusText->style()->polish(StatusText);
}

std::optional<tune::FitOptions> TuneDialog::options() {
    tune::FitOptions o;
    o.low = LowBox->value();
    o.high = HighBox->value();
    o.keepCrossover = KeepCrossoverBox->isChecked();
    o.keepAlignment = KeepAlignmentBox->isChecked();
    o.keepEqualiser = KeepEqualiserBox->isChecked();
    o.maxBoostDb = MaxBoostBox->value();
    o.magnitudeOnly = MagnitudeOnlyBox->isChecked();
    if (TargetList->currentIndex() == Slope) o.target = tune::Target::slope(SlopeBox->value());
    if (TargetList->currentIndex() == File) {
        std::string error;
        const std::string path = TargetFileEdit->text().toStdString();
        const auto text = readWholeFile(path, error);
        const auto target = text ? tune::parseTarget(*text, error) : std::nullopt;
        if (!target) {
            say(QStringLiteral("Target: ") + QString::fromStdString(error), true);
            return std::nullopt;
        }
        o.target = *target;
    }
    return o;
}

void TuneDialog::FitButtonClick() {
    outcome_ = {};
    Preview->clear();
    FiguresText->clear();
    const auto o = options();
    if (!o) return showState();
    std::string why;
    const auto drivers = namedDrivers(document_.preset(), document_.path(), why);
    if (!drivers) {
        say(QString::fromStdString(why), true);
        return showState();
    }
    if (const auto refused = tune::refusal(*drivers, *o)) {
        const bool phaseMissing = !(*drivers)[0].hasPhase || !(*drivers)[1].hasPhase;
        say(QString::fromStdString(*refused) +
                (phaseMissing ? QStringLiteral(": Magnitude only equalises each output alone") : QString()),
            true);
        return showState();
    }
    const int generation = ++generation_;
    finished_ = false;
    {
        std::lock_guard lock(progressMutex_);
        percent_ = 0;
        step_.clear();
    }
    Progress->setValue(0);
    Progress->setFormat(QStringLiteral("%p%"));
    say(QStringLiteral("Fitting..."), false);
    QPointer<TuneDialog> self(this);
    fit_.start(
        document_, *drivers, *o,
        [this](int percent, std::string_view step) {
            std::lock_guard lock(progressMutex_);
            percent_ = percent;
            step_ = step;
        },
        [self, generation] {
            QMetaObject::invokeMethod(
                self, [self, generation] { if (self) self->fitEnded(generation); }, Qt::QueuedConnection);
        });
    progressTimer_.start();
    showState();
}

void TuneDialog::fitEnded(int generation) {
    if (generation != generation_) return;  // a fit cancelled since
    progressTimer_.stop();
    finished_ = true;
    outcome_ = fit_.take();
    Progress->setValue(100);
    Progress->setFormat(QStringLiteral("%p%"));
    if (outcome_.result) {
        Preview->setPreview(outcome_.preview, outcome_.result->unreachable);
        FiguresText->setText(resultText(*outcome_.result, outcome_.preview.magnitudeOnly));
        const bool better = outcome_.result->after.rmsDb < outcome_.result->before.rmsDb - 0.005;
        say(better ? QStringLiteral("Apply puts the fit into the preset as one step; Undo takes it back")
                   : QStringLiteral("The fit could not improve on the preset"),
            !better);
        if (!better) outcome_.result.reset();
    } else {
        say(QString::fromStdString(outcome_.error), true);
    }
    showState();
}

void TuneDialog::CancelButtonClick() {
    if (finished_) return;
    ++generation_;
    fit_.stop();
    progressTimer_.stop();
    finished_ = true;
    outcome_ = {};
    Progress->setValue(0);
    Progress->setFormat(QStringLiteral("%p%"));
    say(QStringLiteral("Fit cancelled: the preset is as it was"), false);
    showState();
}

void TuneDialog::ApplyButtonClick() {
    if (const auto refused = applyFit(document_, outcome_)) {
        outcome_ = {};
        say(QString::fromStdString(*refused), true);
    } else {
        outcome_ = {};
        say(QStringLiteral("The fit is in the preset; Undo in the designer takes it back"), false);
    }
    showState();
}

void TuneDialog::reject() {
    CancelButtonClick();
    QDialog::reject();
}

QPushButton* tuneButton(PresetDocument& document, QWidget* window, QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("Tune…"), parent);
    b->setAccessibleDescription(QStringLiteral("Tune the cabinet"));
    b->setToolTip(QStringLiteral("Fit the crossover, alignment and equaliser to the measured drivers"));
    QObject::connect(b, &QPushButton::clicked, window, [&document, window] {
        auto* dialog = window->findChild<TuneDialog*>();
        if (!dialog) dialog = new TuneDialog(document, window);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
    return b;
}

}  // namespace vela::app
