#include "app/library_form.h"

#include "app/connect_form.h"
#include "app/icon_button.h"
#include "app/qt_user_interface.h"
#include "app/window_set.h"
#include "library/model_catalogue.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace vela::app {
namespace {

// The release history of our factory libraries, newest first. The blanks inside a program's
// name are no-break spaces, so that a wrapped line never splits a name.
const char* const kHistory =
    "V1.9 - libraries of this release\n"
    "  M01: Flat, Live, Speech, Monitor, DJ\n"
    "  M02: Flat, Live, Speech, Club\n"
    "  M03: Flat, Speech, Background\n"
    "  M06ps: Flat, Live, Speech, Monitor\n"
    "  M09: Sub\u00a080\u00a0Hz, Sub\u00a0100\u00a0Hz, Sub\u00a0120\u00a0Hz, Cardioid\u00a0Rear\n"
    "  Added: M09 cardioid program.\n"
    "V1.8\n"
    "  M06ps added.\n"
    "  M01 and M02: Speech presets with a gentler high-pass.\n"
    "V1.7\n"
    "  First libraries: M01, M02, M03.\n";

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& at) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    return l;
}

QPlainTextEdit* memo(QWidget* parent, const char* name, const QString& accessibleName, const QString& text,
                     const QRect& at) {
    auto* m = new QPlainTextEdit(text, parent);
    m->setObjectName(name);
    m->setAccessibleName(accessibleName);
    m->setReadOnly(true);
    m->setGeometry(at);
    return m;
}

QProgressBar* gauge(QWidget* parent, const char* name, const QString& accessibleName, const QRect& at) {
    auto* g = new QProgressBar(parent);
    g->setObjectName(name);
    g->setAccessibleName(accessibleName);
    g->setGeometry(at);
    g->setTextVisible(false);
    g->setRange(0, 100);
    g->setValue(0);
    return g;
}

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TLoadAllMemForm::TLoadAllMemForm(AppContext& context, const FirmwareChoice& firmware, QWidget* parent)
    : BorderlessWindow("Library Maker", QSize(569, 465), parent), context_(context), firmware_(firmware) {
    setObjectName("TLoadAllMemForm");
    auto* logo = new QToolButton(this);
    logo->setObjectName("LOGOImage");
    logo->setAccessibleName("Logo");
    logo->setAutoRaise(true);
    logo->setGeometry(12, 10, 124, 42);
    addLogo(QRect(14, 11, 120, 40));
    LOGOImage = logo;
    Panel11 = addBanner("Tessera UPDATER V1.9", QRect(140, 14, 330, 34));
    Panel11->setObjectName("Panel11");
    auto* minimise = addMinimiseIcon(QPoint(520, 6));
    auto* close = addCloseIcon(QPoint(543, 6));

    ConnectedL = label(this, "ConnectedL", "No Connected", QRect(14, 58, 250, 18));
    ConnectedL->setProperty("role", "status");
    ConnectB = button(this, "ConnectB", "CONNECT", QRect(440, 56, 112, 26));
    Label45 = label(this, "Label45", "SELECT your Cabinet Model:", QRect(14, 82, 250, 18));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setAccessibleName("SELECT your Cabinet Model:");
    ComboBox1->setGeometry(14, 102, 226, 24);
    ComboBox1->setMaxVisibleItems(40);
    for (const auto& row : ModelCatalogue::rows()) ComboBox1->addItem(QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size())));
    ComboBox1->setPlaceholderText("Select your model");
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEnabled(false);
    auto* manual = new IconButton(IconKind::Manual, this);
    manual->setObjectName("Image1");
    manual->move(246, 104);
    Image1 = manual;
    Password_Edit = new QLineEdit(this);
    Password_Edit->setObjectName("Password_Edit");
    Password_Edit->setAccessibleName("Service code");
    Password_Edit->setEchoMode(QLineEdit::Password);
    Password_Edit->setMaxLength(6);
    Password_Edit->setToolTip("Between 6 to 15 Alfanumeric Characters.");
    Password_Edit->setGeometry(440, 86, 112, 22);
    Password_Edit->hide();

    buildMemories();
    Label1 = label(this, "Label1", "Update History:", QRect(290, 82, 200, 18));
    Memo2 = memo(this, "Memo2", "Update History:", kHistory, QRect(290, 102, 262, 116));
    buildSendPanel();
    buildServiceControls();

    connect(logo, &QToolButton::clicked, this, &TLoadAllMemForm::LOGOImageClick);
    connect(Password_Edit, &QLineEdit::returnPressed, this, &TLoadAllMemForm::Password_EditEnter);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TLoadAllMemForm::ComboBox1Change);
    connect(manual, &QToolButton::clicked, this, &TLoadAllMemForm::Image1Click);
    connect(ConnectB, &QPushButton::clicked, this, &TLoadAllMemForm::ConnectBClick);
    connect(Send1, &QPushButton::clicked, this, &TLoadAllMemForm::Send1Click);

    // The keyboard's way through the window: model, manual, update, then the rest.
    setTabOrder(ComboBox1, Image1);
    setTabOrder(Image1, Send1);
    setTabOrder(Send1, ConnectB);
    setTabOrder(ConnectB, logo);
    setTabOrder(logo, Password_Edit);
    setTabOrder(Password_Edit, Memo2);
    setTabOrder(Memo2, minimise);
    setTabOrder(minimise, close);

    QtUserInterface& ui = context.ui;
    connect(&ui, &QtUserInterface::statusChanged, this, &TLoadAllMemForm::showStatus);
    connect(&ui, &QtUserInterface::gaugeChanged, this, &TLoadAllMemForm::showGauge);
    connect(&context.worker, &SessionWorker::sessionChanged, this, &TLoadAllMemForm::showView);
}

void TLoadAllMemForm::buildMemories() {
    auto* frame = new QFrame(this);
    frame->setObjectName("Panel9");
    frame->setGeometry(14, 134, 262, 296);
    auto* title = label(frame, "Panel9Caption", "Memories", QRect(8, 2, 240, 18));
    title->setProperty("role", "legend");
    for (int k = 0; k < 13; ++k) {
        const QString n = QString::number(k + 1);
        memoryLabels[static_cast<std::size_t>(k)] =
            label(frame, qPrintable("Label" + QString::number(k + 2)), n + " -", QRect(8, 22 + 21 * k, 30, 20));
        auto* e = new QLineEdit(frame);
        e->setObjectName("Edit" + n);
        e->setAccessibleName("Memory " + n);
        e->setReadOnly(true);
        // Thirteen read-only names are no stops on the way from the model list to Update.
        e->setFocusPolicy(Qt::ClickFocus);
        e->setGeometry(40, 22 + 21 * k, 214, 20);
        Edit[static_cast<std::size_t>(k)] = e;
    }
}

void TLoadAllMemForm::buildSendPanel() {
    SendPanel = new QFrame(this);
    SendPanel->setObjectName("SendPanel");
    SendPanel->setGeometry(290, 226, 264, 204);
    SendWarning = memo(SendPanel, "SendWarning", "Warning",
                       "Once the update has began do not disconnect \n"
                       "neither the PC or the cabinet until the process has \n"
                       "been finished.",
                       QRect(0, 0, 264, 62));
    QFont small = SendWarning->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    SendWarning->setFont(small);
    // Its three lines as written, one line each.
    SendWarning->setLineWrapMode(QPlainTextEdit::NoWrap);
    SendWarning->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Send1 = button(SendPanel, "Send1", "Update", QRect(0, 70, 264, 32));
    Send1->setToolTip("Send library to the processor");
    ProgressBar = gauge(SendPanel, "ProgressBar", "Program progress", QRect(0, 112, 264, 14));
    TotalProgress = gauge(SendPanel, "TotalProgress", "Total progress", QRect(0, 134, 264, 14));
    ProgressBar->hide();
    TotalProgress->hide();
    Info = label(SendPanel, "Info", "Conecting...", QRect(0, 156, 264, 40));
    Info->setProperty("role", "status");
    Info->setWordWrap(true);
    SendPanel->hide();
}

void TLoadAllMemForm::buildServiceControls() {
    // Beyond the right edge: the service staff reach them from the keyboard.
    OpenLibraryB = button(this, "OpenLibraryB", "Open Lib", QRect(606, 20, 110, 26));
    OpenLibraryB->hide();
    Clear1B = button(this, "Clear1B", "Clear All", QRect(606, 50, 110, 26));
    Clear1B->hide();
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(606, 80, 120, 64);
    LoadDirectoryB = button(Panel1, "LoadDirectoryB", "Load Files", QRect(4, 4, 110, 26));
    MakeLibraryB = button(Panel1, "MakeLibraryB", "Make Library", QRect(4, 34, 110, 26));
    Panel1->hide();
    UpdateDSP = button(this, "UpdateDSP", "Update DSP", QRect(606, 150, 110, 26));
    UpdateDSP->setToolTip("Update DSP Program");
    ResetDSP = button(this, "ResetDSP", "RST", QRect(606, 180, 110, 26));
    ResetDSP->setToolTip("Reset DSP");
    Edit40 = new QLineEdit(this);
    Edit40->setObjectName("Edit40");
    Edit40->setAccessibleName("Library file");
    Edit40->setGeometry(606, 210, 110, 22);
    Edit40->hide();
    connect(OpenLibraryB, &QPushButton::clicked, this, &TLoadAllMemForm::OpenLibraryBClick);
    connect(Clear1B, &QPushButton::clicked, this, &TLoadAllMemForm::Clear1BClick);
    connect(LoadDirectoryB, &QPushButton::clicked, this, &TLoadAllMemForm::LoadDirectoryBClick);
    connect(MakeLibraryB, &QPushButton::clicked, this, &TLoadAllMemForm::MakeLibraryBClick);
    connect(UpdateDSP, &QPushButton::clicked, this, &TLoadAllMemForm::UpdateDSPClick);
    connect(ResetDSP, &QPushButton::clicked, this, &TLoadAllMemForm::ResetDSPClick);
}

void TLoadAllMemForm::run(std::function<void(Session&)> operation, std::function<void()> done) {
    for (QWidget* w : std::initializer_list<QWidget*>{Send1, ComboBox1, LoadDirectoryB, MakeLibraryB, UpdateDSP,
                                                      ResetDSP, OpenLibraryB})
        w->setEnabled(false);
    ++running_;
    context_.worker.run(std::move(operation), [this, done = std::move(done)] {
        --running_;
        for (QWidget* w : std::initializer_list<QWidget*>{LoadDirectoryB, MakeLibraryB, UpdateDSP, ResetDSP,
                                                          OpenLibraryB})
            w->setEnabled(true);
        if (view_) {
            Send1->setEnabled(view_->library.send1Enabled);
            ComboBox1->setEnabled(view_->library.modelListEnabled);
        }
        if (done) done();
    });
}

void TLoadAllMemForm::showView(const SessionViewPtr& view) {
    view_ = view;
    const LibraryView& l = view->library;
    if (l.visible && !isVisible()) show();
    ComboBox1->setEnabled(l.modelListEnabled && running_ == 0);
    ComboBox1->setCurrentIndex(l.selectedRow);
    for (std::size_t k = 0; k < Edit.size(); ++k) Edit[k]->setText(text(l.names[k]));
    SendPanel->setVisible(l.sendPanelVisible);
    Send1->setText(text(l.send1Caption));
    Send1->setEnabled(l.send1Enabled && running_ == 0);
    ProgressBar->setVisible(l.gaugesVisible);
    TotalProgress->setVisible(l.gaugesVisible);
    ConnectB->setVisible(l.connectButtonVisible);
    Password_Edit->setVisible(l.passwordEditVisible);
    Edit40->setText(text(l.openedFile));
}

void TLoadAllMemForm::showStatus(StatusField field, const QString& status) {
    if (field == StatusField::LibraryInfo) Info->setText(status);
    if (field == StatusField::ConnectedL) ConnectedL->setText(status);
}

void TLoadAllMemForm::showGauge(vela::Gauge which, int position, int maximum) {
    if (which != vela::Gauge::ProgressBar && which != vela::Gauge::TotalProgress) return;  // not one of ours
    QProgressBar* g = which == vela::Gauge::ProgressBar ? ProgressBar : TotalProgress;
    g->setMaximum(std::max(maximum, 1));
    g->setValue(std::min(position, g->maximum()));
}

void TLoadAllMemForm::ComboBox1Change(int row) {
    run([row](Session& s) { chooseModel(s, row); });
}

void TLoadAllMemForm::Send1Click() {
    // The run shows these itself; lock them at once so that a second press cannot queue a run.
    ProgressBar->show();
    TotalProgress->show();
    run([this](Session& s) { loadAllMemories(s, firmware_); });
}

void TLoadAllMemForm::ConnectBClick() {
    run([](Session& s) { showConnectionWindow(s); });
}

void TLoadAllMemForm::Image1Click() {
    run([](Session& s) { openManual(s); });
}

void TLoadAllMemForm::LOGOImageClick() {
    run([](Session& s) { clickLogo(s); });
}

void TLoadAllMemForm::Password_EditEnter() {
    const std::string code = Password_Edit->text().toStdString();
    run([code](Session& s) { enterServiceCode(s, code); });
}

void TLoadAllMemForm::OpenLibraryBClick() {
    const QString file = QFileDialog::getOpenFileName(this, "Open Library", QDir::currentPath(),
                                                      "Library files (*.HLB *.hlb);;All files (*)");
    if (file.isEmpty()) return;
    run([f = file.toStdString()](Session& s) { openLibraryFile(s, f); });
}

void TLoadAllMemForm::Clear1BClick() {
    run([](Session& s) { clearLibraryNames(s); });
}

void TLoadAllMemForm::LoadDirectoryBClick() {
    QFileDialog dialog(this, "Load Files", QDir::currentPath(), "Preset files (*.hdp);;All files (*)");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.exec();
    // The build runs whether or not the user confirmed: a cancelled dialog builds nothing.
    std::vector<std::string> files;
    for (const QString& f : dialog.result() == QDialog::Accepted ? dialog.selectedFiles() : QStringList())
        files.push_back(f.toStdString());
    run([files](Session& s) { buildLibrary(s, files); });
}

void TLoadAllMemForm::MakeLibraryBClick() {
    if (!view_ || view_->library.programs == 0) {
        // Nothing built yet: the session warns, then the files are loaded.
        auto result = std::make_shared<SaveLibraryResult>(SaveLibraryResult::Failed);
        run([result](Session& s) { *result = saveLibrary(s, {}); },
            [this, result] {
                if (*result == SaveLibraryResult::NothingLoaded) LoadDirectoryBClick();
            });
        return;
    }
    QFileDialog dialog(this, "Save Library", QDir::currentPath(), "Library files (*.HLB);;All files (*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("HLB");
    dialog.selectFile("NoName");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    run([f = dialog.selectedFiles().front().toStdString()](Session& s) { saveLibrary(s, f); });
}

void TLoadAllMemForm::UpdateDSPClick() {
    run([this](Session& s) { sendDspOperatingSystem(s, firmware_); });
}

void TLoadAllMemForm::ResetDSPClick() {
    run([](Session& s) { resetUnit(s); });
}

void TLoadAllMemForm::showEvent(QShowEvent* event) {
    BorderlessWindow::showEvent(event);
    // Activation: the service controls come back and the banner follows the main window's.
    Panel1->show();
    if (context_.windows && context_.windows->connect) Panel11->setText(context_.windows->connect->Panel11->text());
    context_.worker.run([](Session& s) { startServiceCount(s); });
}

void TLoadAllMemForm::CerrarIconClick() {
    if (context_.windows && context_.windows->connect) context_.windows->connect->close();
}

void TLoadAllMemForm::closeEvent(QCloseEvent* event) {
    // Closing the library window ends the program, like its close icon.
    event->ignore();
    CerrarIconClick();
}

}  // namespace vela::app
