#include "app/designer_window.h"

#include "app/app_context.h"
#include "app/designer_controls.h"
#include "app/designer_link_bar.h"
#include "app/designer_plot.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/summed_view.h"
#include "preset/preset_warnings.h"
#include "session/preset_document.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>

namespace vela::app {
namespace {

const QString kPresetFilter = QStringLiteral("Preset files (*.hdp);;All files (*)");
constexpr QSize kSize{1280, 800};

QPushButton* toolButton(const QString& caption, const QString& hint, const QKeySequence& keys, int x, int width,
                        QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(keys.isEmpty() ? hint : hint + " (" + keys.toString(QKeySequence::NativeText) + ")");
    if (!keys.isEmpty()) {
        // A shortcut of the window, so that it works from whichever control has the focus.
        auto* shortcut = new QShortcut(keys, parent);
        QObject::connect(shortcut, &QShortcut::activated, b, [b] {
            if (b->isEnabled()) b->click();
        });
    }
    b->setGeometry(x, 12, width, 28);
    return b;
}

}  // namespace

DesignerWindow::DesignerWindow(AppContext& context, QWidget* parent)
    : BorderlessWindow(QStringLiteral("Preset Designer"), kSize, parent), context_(context) {
    addLogo({16, 10, 96, 32});
    addBanner(QStringLiteral("Preset Designer"), {120, 14, 220, 24});
    NewButton = toolButton(QStringLiteral("New"), QStringLiteral("New preset"), QKeySequence::New, 360, 64, this);
    OpenButton = toolButton(QStringLiteral("Open"), QStringLiteral("Open a preset file"), QKeySequence::Open, 430, 64,
                            this);
    SaveButton = toolButton(QStringLiteral("Save"), QStringLiteral("Save the preset"), QKeySequence::Save, 500, 64,
                            this);
    SaveAsButton = toolButton(QStringLiteral("Save As"), QStringLiteral("Save the preset to another file"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), 570, 80, this);
    UndoButton = toolButton(QStringLiteral("Undo"), QStringLiteral("Undo the last change"),
                            QKeySequence(Qt::CTRL | Qt::Key_Z), 672, 64, this);
    RedoButton = toolButton(QStringLiteral("Redo"), QStringLiteral("Redo the change undone"),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), 742, 64, this);
    LinkBar = new DesignerLinkBar(context_, this);
    LinkBar->setGeometry(820, 8, 396, 36);
    RealTimeB = LinkBar->RealTimeB;

    NoticeBanner = new QLabel(this);
    NoticeBanner->setProperty("role", "notice");
    NoticeBanner->setWordWrap(true);
    NoticeBanner->setGeometry(16, 48, kSize.width() - 32, 34);
    NoticeBanner->hide();

    controls_ = new ParameterControls(context_.document, this);
    controls_->onNotices = [this](const std::vector<std::string>& notices) { showNotices(notices); };
    controls_->onFocus = [this](const std::string& key) {
        // "eq.2.5.gain": output 2, band 5.
        if (!key.starts_with("eq.") || key.size() < 6) return;
        selectBand(key[3] - '1', key[5] - '0');
    };

    Outputs = new QTabWidget(this);
    Outputs->setAccessibleName(QStringLiteral("Outputs and inputs"));
    Outputs->setGeometry(16, 88, kSize.width() - 32, kSize.height() - 104);
    for (int out = 0; out < 2; ++out) Outputs->addTab(outputPage(out), QStringLiteral("Output %1").arg(out + 1));
    Outputs->addTab(new SummedView(context_.document), QStringLiteral("Sum of outputs"));
    Outputs->addTab(inputsPage(), QStringLiteral("Inputs and system"));

    addMinimiseIcon({kSize.width() - 56, 10});
    addCloseIcon({kSize.width() - 30, 10});

    connect(NewButton, &QPushButton::clicked, this, &DesignerWindow::NewButtonClick);
    connect(OpenButton, &QPushButton::clicked, this, &DesignerWindow::OpenButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &DesignerWindow::SaveButtonClick);
    connect(SaveAsButton, &QPushButton::clicked, this, &DesignerWindow::SaveAsButtonClick);
    connect(UndoButton, &QPushButton::clicked, this, &DesignerWindow::UndoButtonClick);
    connect(RedoButton, &QPushButton::clicked, this, &DesignerWindow::RedoButtonClick);
    connect(LinkBar, &DesignerLinkBar::notice, this,
            [this](const QString& text) { showNotices({text.toStdString()}); });

    chooseOpenFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(), kPresetFilter);
    };
    chooseSaveFile = [this] {
        const QString name = QString::fromStdString(context_.document.path());
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save As"),
                                            name.isEmpty() ? QStringLiteral("NoName.hdp") : name, kPresetFilter);
    };
    chooseMeasurementFile = [this](int output) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Output %1 measurement").arg(output), QString(),
                                            QStringLiteral("Exported data (*.txt *.frd);;All files (*)"));
    };
    // The controls and plots follow the document once per pass of the event loop: the edits of
    // one mouse move (a handle sets frequency and gain) are shown and drawn once.
    showTimer_.setSingleShot(true);
    showTimer_.setInterval(0);
    connect(&showTimer_, &QTimer::timeout, this, &DesignerWindow::showDocument);
    listener_ = context_.document.subscribe([this] {
        discarded_ = false;
        // Undo and Redo at once: their keys may come before the event loop does.
        UndoButton->setEnabled(context_.document.canUndo());
        RedoButton->setEnabled(context_.document.canRedo());
        showTimer_.start();
    });
    showDocument();
}

DesignerWindow::~DesignerWindow() { context_.document.unsubscribe(listener_); }

void DesignerWindow::showDocument() {
    const PresetDocument& d = context_.document;
    controls_->refresh();
    UndoButton->setEnabled(d.canUndo());
    RedoButton->setEnabled(d.canRedo());
    const QString file = d.path().empty() ? QStringLiteral("New preset") : QFileInfo(QString::fromStdString(d.path())).fileName();
    setWindowTitle(QStringLiteral("Preset Designer - ") + file + (d.modified() ? QStringLiteral(" *") : QString()));
    const PresetParameters& p = d.preset();
    for (int out = 0; out < 2; ++out) {
        const auto n = static_cast<std::size_t>(out);
        coefficients_[n]->setText(coefficientsText(out));
        delayTexts_[n]->setText(QStringLiteral("%1 ms   %2 cm")
                                    .arg(p.DelayMs[n], 0, 'f', 3)
                                    .arg(p.DelayCm[n], 0, 'f', 1));
        const DynamicsReport report = dynamicsReport(p, out);
        QStringList lines;
        for (const std::string& line : report.lines) lines << QString::fromStdString(line);
        powerReports_[n]->setText(lines.join('\n'));
        // Over the box's capacity it is drawn as the banner's notices are.
        const char* role = report.exceedsBoxPower ? "notice" : "status";
        if (powerReports_[n]->property("role").toString() != QLatin1String(role)) {
            powerReports_[n]->setProperty("role", role);
            powerReports_[n]->style()->unpolish(powerReports_[n]);
            powerReports_[n]->style()->polish(powerReports_[n]);
        }
        // The sections of an edge are its own only while its alignment is Custom.
        for (const char* edge : {"hp", "lp"}) {
            const dsp::TXOVER& x = p.Crossovers[n];
            const bool custom = (edge[0] == 'h' ? x.HighPass : x.LowPass).Alignment >= dsp::kAlignCustomLowPass;
            for (int s = 1; s <= dsp::kDesignedSections; ++s)
                for (const char* what : {"freq", "q"}) {
                    const std::string key = "xover." + std::to_string(out + 1) + "." + edge + ".section." +
                                            std::to_string(s) + "." + what;
                    if (QWidget* w = controls_->control(key)) w->setEnabled(custom);
                }
        }
        // In a pass of its own: drawn together with a changed field, the plot would have the
        // whole page between them redrawn.
        QTimer::singleShot(0, responses_[n], [plot = responses_[n]] { plot->update(); });
    }
    for (QWidget* curve : curves_) curve->update();
    showBanner();
}

QString DesignerWindow::coefficientsText(int output) const {
    const int band = selectedBand_[static_cast<std::size_t>(output)];
    const dsp::TSOS& s = context_.document.preset().band(output, band);
    QString text = QStringLiteral("Band %1 coefficients").arg(band);
    const char* names[] = {"B0", "B1", "B2", "A1", "A2"};
    for (int i = 0; i < 5; ++i)
        text += QStringLiteral("\n%1  %2").arg(QLatin1String(names[i])).arg(s.Coefficient(i), 0, 'f', 10);
    return text;
}

void DesignerWindow::selectBand(int output, int band) {
    if (output < 0 || output > 1 || band < 1 || band > kBandsPerOutput) return;
    const auto n = static_cast<std::size_t>(output);
    selectedBand_[n] = band;
    responses_[n]->setSelectedBand(band);
    coefficients_[n]->setText(coefficientsText(output));
}

void DesignerWindow::showNotices(const std::vector<std::string>& notices) {
    editNotices_ = notices;
    showBanner();
}

void DesignerWindow::showBanner() {
    const PresetDocument& d = context_.document;
    std::vector<std::string> lines = editNotices_;
    for (const std::string& w : standingWarnings(d.preset(), d.sampleRate()))
        if (std::find(lines.begin(), lines.end(), w) == lines.end()) lines.push_back(w);
    QStringList texts;
    for (const std::string& line : lines) texts << QString::fromStdString(line);
    NoticeBanner->setText(texts.join(QStringLiteral("  ")));
    NoticeBanner->setToolTip(texts.join('\n'));
    NoticeBanner->setVisible(!texts.isEmpty());
}

// ---- The preset document ---------------------------------------------------------------

void DesignerWindow::NewButtonClick() {
    if (context_.document.startNew([this] { SaveButtonClick(); })) showNotices({});
}

void DesignerWindow::OpenButtonClick() {
    // The file is judged before anything changes: a cancelled or refused Open leaves the
    // preset, and real-time mode, as they were.
    if (context_.document.modified() && !context_.document.askToSave([this] { return SaveButtonClick(); }))
        return;
    const QString file = chooseOpenFile();
    if (file.isEmpty()) return;
    context_.document.open(file.toStdString(), PresetDocument::PeakNotice::Banner);
    showNotices({});
}

bool DesignerWindow::SaveButtonClick() {
    if (context_.document.path().empty()) return SaveAsButtonClick();
    return context_.document.saveAs(context_.document.path());
}

bool DesignerWindow::SaveAsButtonClick() {
    const QString file = chooseSaveFile();
    return !file.isEmpty() && context_.document.saveAs(file.toStdString());
}

// A step back or forth leaves the notices of the last edit behind; the banner then says only
// what the preset as it stands warns of.
void DesignerWindow::UndoButtonClick() {
    editNotices_.clear();
    context_.document.undo();
}

void DesignerWindow::RedoButtonClick() {
    editNotices_.clear();
    context_.document.redo();
}

bool DesignerWindow::agreeToClose() {
    if (!context_.document.modified() || discarded_) return true;
    if (!isVisible()) bringToFront();  // the edits the question is about
    const Answer a = context_.ui.message(MessageKind::Warning, Buttons::YesNoCancel,
                                         "Do you want to save the present configuration?");
    if (a == Answer::Cancel) return false;
    if (a == Answer::Yes) return SaveButtonClick();
    discarded_ = true;
    return true;
}

void DesignerWindow::closeEvent(QCloseEvent* event) {
    if (!agreeToClose()) {
        event->ignore();
        return;
    }
    BorderlessWindow::closeEvent(event);
    emit closed();
}

}  // namespace vela::app
