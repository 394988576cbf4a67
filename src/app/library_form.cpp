#include "app/library_form.h"

#include "app/connect_form.h"
#include "app/icon_button.h"
#include "app/main_menu.h"
#include "app/qt_user_interface.h"
#include "app/window_set.h"
#include "library/model_catalogue.h"
#include "platform/folders.h"
#include "session/backup.h"
#include "update/qt_settings_store.h"
#include "platform/utf8_paths.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
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

    ConnectedL = label(this, "ConnectedL", "No Connected", QRect(14, 58, 420, 18));
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
    LockedL = label(this, "LockedL", "Locked to this cabinet's model", QRect(14, 128, 262, 18));
    LockedL->hide();
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
    Memo2 = memo(this, "Memo2", "Update History:", kHistory, QRect(290, 102, 262, 96));
    BuildProgress = gauge(this, "BuildProgress", "Library build progress", QRect(290, 204, 262, 16));
    BuildProgress->setFormat("%v of %m preset files");
    BuildProgress->setTextVisible(true);
    BuildProgress->hide();
    buildSendPanel();
    buildServiceControls();
    buildBackupControls();

    connect(logo, &QToolButton::clicked, this, &TLoadAllMemForm::LOGOImageClick);
    connect(Password_Edit, &QLineEdit::returnPressed, this, &TLoadAllMemForm::Password_EditEnter);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TLoadAllMemForm::ComboBox1Change);
    connect(manual, &QToolButton::clicked, this, &TLoadAllMemForm::Image1Click);
    connect(ConnectB, &QPushButton::clicked, this, &TLoadAllMemForm::ConnectBClick);
    connect(Send1, &QPushButton::clicked, this, &TLoadAllMemForm::Send1Click);

    // The keyboard's way through the window: model, manual, the backup choice, update, then the rest.
    setTabOrder(ComboBox1, Image1);
    setTabOrder(Image1, BackupFirstCheck);
    setTabOrder(BackupFirstCheck, Send1);
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

    choosePresetFiles = [this] {
        QFileDialog dialog(this, "Load Files", QDir::currentPath(), "Preset files (*.hdp);;All files (*)");
        dialog.setFileMode(QFileDialog::ExistingFiles);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    chooseLibraryModel = [this]() -> std::optional<int> {
        QStringList items{"The codes the preset files give"};
        for (int row = 0; row < ComboBox1->count(); ++row) items << ComboBox1->itemText(row);
        bool ok = false;
        const QString item = QInputDialog::getItem(this, "Make Library", "The programs carry the model code of:",
                                                   items, 0, false, &ok);
        if (!ok) return std::nullopt;
        return static_cast<int>(items.indexOf(item)) - 1;
    };
    chooseLibraryFile = [this] {
        QFileDialog dialog(this, "Save Library", QDir::currentPath(), "Library files (*.HLB);;All files (*)");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("HLB");
        dialog.selectFile("NoName");
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().front();
    };
}

void TLoadAllMemForm::buildMemories() {
    auto* frame = new QFrame(this);
    frame->setObjectName("Panel9");
    frame->setGeometry(14, 148, 262, 296);
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
    SendPanel->setGeometry(290, 252, 264, 204);
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
    ProgressBar = gauge(SendPanel, "ProgressBar", "Program progress", QRect(0, 108, 264, 18));
    TotalProgress = gauge(SendPanel, "TotalProgress", "Total progress", QRect(0, 130, 264, 18));
    // The program gauge names its step ("Memory 3 of 5"); both show how far they are.
    ProgressBar->setFormat("%p%");
    TotalProgress->setFormat("Total %p%");
    for (QProgressBar* g : {ProgressBar, TotalProgress}) {
        g->setTextVisible(true);
        g->hide();
    }
    Info = label(SendPanel, "Info", "Conecting...", QRect(0, 152, 264, 48));
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
    outOfSight_.hold({OpenLibraryB, Clear1B, Panel1, UpdateDSP, ResetDSP, Edit40});
    connect(OpenLibraryB, &QPushButton::clicked, this, &TLoadAllMemForm::OpenLibraryBClick);
    connect(Clear1B, &QPushButton::clicked, this, &TLoadAllMemForm::Clear1BClick);
    connect(LoadDirectoryB, &QPushButton::clicked, this, &TLoadAllMemForm::LoadDirectoryBClick);
    connect(MakeLibraryB, &QPushButton::clicked, this, &TLoadAllMemForm::MakeLibraryBClick);
    connect(UpdateDSP, &QPushButton::clicked, this, &TLoadAllMemForm::UpdateDSPClick);
    connect(ResetDSP, &QPushButton::clicked, this, &TLoadAllMemForm::ResetDSPClick);
}

std::vector<QWidget*> TLoadAllMemForm::startingControls() const {
    // Everything that starts or changes something: pressed during an operation it would only
    // be replayed after it.
    return {ConnectB, Image1, LOGOImage, Password_Edit, OpenLibraryB, Clear1B, LoadDirectoryB, MakeLibraryB,
            UpdateDSP, ResetDSP, BackupB, RestoreB, BackupFirstCheck};
}

void TLoadAllMemForm::run(std::function<void(Session&)> operation, std::function<void()> done) {
    Send1->setEnabled(false);
    ComboBox1->setEnabled(false);
    for (QWidget* w : startingControls()) w->setEnabled(false);
    ++running_;
    context_.worker.run(std::move(operation), [this, done = std::move(done)] {
        if (--running_ == 0)
            for (QWidget* w : startingControls()) w->setEnabled(true);
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
    if (l.visible && !isVisible()) {
        // Beside the processor window, when that is open, so that neither hides the other; on a
        // screen too small for both the processor window the user works in stays on top.
        auto* menu = context_.windows ? context_.windows->mainMenu : nullptr;
        const bool beside = !menu || !menu->isVisible() || placeSideBySide(*menu, *this);
        // Choosing ETHERNET asks for the Ethernet window as well, which goes on top by itself;
        // on a screen too small for both, the processor window stays on top.
        if (view->windows.ethernetFormVisible || !beside) {
            // Shown without taking the keyboard, so that the window manager leaves it where it
            // puts the window the user goes on in.
            setAttribute(Qt::WA_ShowWithoutActivating);
            show();
            setAttribute(Qt::WA_ShowWithoutActivating, false);
            if (!beside) menu->bringToFront();
        } else {
            bringToFront();
        }
    }
    ComboBox1->setEnabled(l.modelListEnabled && running_ == 0);
    ComboBox1->setCurrentIndex(l.selectedRow);
    for (std::size_t k = 0; k < Edit.size(); ++k) Edit[k]->setText(text(l.names[k]));
    SendPanel->setVisible(l.sendPanelVisible);
    Send1->setText(text(l.send1Caption));
    Send1->setEnabled(l.send1Enabled && running_ == 0);
    LockedL->setVisible(l.lockedToUnit);
    ComboBox1->setAccessibleDescription(l.lockedToUnit ? LockedL->text() : QString());
    ProgressBar->setVisible(l.gaugesVisible);
    TotalProgress->setVisible(l.gaugesVisible);
    ConnectB->setVisible(l.connectButtonVisible);
    Password_Edit->setVisible(l.passwordEditVisible);
    Edit40->setText(text(l.openedFile));
    showLinkStatus(view->linkStatus, view->state.LinkLost);
}

void TLoadAllMemForm::showLinkStatus(const std::string& status, bool lost) {
    if (status == shownLinkStatus_) return;
    // What the run was doing last is no longer going on; once connected again, nor is the loss.
    if (lost)
        Info->setText(text(status));
    else if (Info->text() == text(shownLinkStatus_))
        Info->clear();
    shownLinkStatus_ = status;
    ConnectedL->setText(text(status));
}

void TLoadAllMemForm::showStatus(StatusField field, const QString& status) {
    // ConnectedL says what the session's link is, and nothing else: see showLinkStatus.
    if (field == StatusField::LibraryInfo) Info->setText(status);
    if (field == StatusField::RunStep) {
        ProgressBar->setFormat(status.isEmpty() ? QString("%p%") : status + "  %p%");
        ProgressBar->setAccessibleDescription(status);
    }
}

void TLoadAllMemForm::showGauge(vela::Gauge which, int position, int maximum) {
    QProgressBar* g = which == vela::Gauge::ProgressBar      ? ProgressBar
                      : which == vela::Gauge::TotalProgress ? TotalProgress
                      : which == vela::Gauge::LibraryBuild  ? BuildProgress
                                                            : nullptr;
    if (!g) return;  // not one of ours
    g->setMaximum(std::max(maximum, 1));
    g->setValue(std::min(position, g->maximum()));
}

void TLoadAllMemForm::ComboBox1Change(int row) {
    run([row](Session& s) { chooseModel(s, row); });
}

void TLoadAllMemForm::Send1Click() {
    // The run shows these itself; lock them at once so that a second press cannot queue a run.
    for (QProgressBar* g : {ProgressBar, TotalProgress}) {
        g->setValue(0);
        g->show();
    }
    run([this, backupFirst = BackupFirstCheck->isChecked()](Session& s) {
        loadAllAfterBackup(s, firmware_, backupFirst);
    });
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
    auto unlocked = std::make_shared<bool>(false);
    run([code, unlocked](Session& s) { *unlocked = enterServiceCode(s, code); },
        [this, unlocked] {
            if (*unlocked) revealServiceControls();
        });
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
    // The build runs whether or not the user confirmed: a cancelled dialog builds nothing.
    std::vector<std::string> files;
    for (const QString& f : choosePresetFiles()) files.push_back(f.toStdString());
    BuildProgress->setValue(0);
    BuildProgress->setVisible(!files.empty());
    run([files](Session& s) { buildLibrary(s, files); }, [this] { BuildProgress->hide(); });
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
    if (view_->library.partialBuild) {
        // Refused before anything is asked: the session says why.
        run([](Session& s) { saveLibrary(s, {}); });
        return;
    }
    const std::optional<int> row = chooseLibraryModel();
    if (!row) return;
    const QString file = chooseLibraryFile();
    if (file.isEmpty()) return;
    const std::optional<int> code =
        *row >= 0 ? std::optional<int>(ModelCatalogue::modelCode(static_cast<std::size_t>(*row))) : std::nullopt;
    run([f = file.toStdString(), code](Session& s) { saveLibrary(s, f, code); });
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

void TLoadAllMemForm::revealServiceControls() {
    if (serviceShown_) return;
    serviceShown_ = true;
    // The window grows to the right over the service column; its icons stay at its top right.
    constexpr int kServiceWidth = 740;
    outOfSight_.revealAll();
    setDesignSize({kServiceWidth, designSize().height()});
}

void TLoadAllMemForm::CerrarIconClick() {
    if (context_.windows && context_.windows->connect) context_.windows->connect->endProgram();
}

void TLoadAllMemForm::closeEvent(QCloseEvent* event) {
    // Closing the library window ends the program, like its close icon.
    event->ignore();
    CerrarIconClick();
}

// Backing up the cabinet's programs. The check box's choice is kept between runs.
namespace {
constexpr const char* kBackupFirstKey = "library/backupBeforeUpdate";
}  // namespace

void TLoadAllMemForm::buildBackupControls() {
    BackupFirstCheck = new QCheckBox("Back up the cabinet's programs first", this);
    BackupFirstCheck->setObjectName("BackupFirstCheck");
    BackupFirstCheck->setGeometry(290, 226, 262, 22);  // above the send panel: chosen before Update
    BackupFirstCheck->setChecked(QtSettingsStore().value(kBackupFirstKey).value_or("false") == "true");
    // Beside the other service controls beyond the right edge.
    BackupB = button(this, "BackupB", "Back up", QRect(606, 240, 110, 26));
    BackupB->setToolTip("Save the cabinet's programs in the backups folder");
    RestoreB = button(this, "RestoreB", "Restore...", QRect(606, 270, 110, 26));
    RestoreB->setToolTip("Write a backup's programs back into the cabinet");
    outOfSight_.hold({BackupB, RestoreB});
    connect(BackupFirstCheck, &QCheckBox::toggled, this, &TLoadAllMemForm::BackupFirstCheckClick);
    connect(BackupB, &QPushButton::clicked, this, &TLoadAllMemForm::BackupBClick);
    connect(RestoreB, &QPushButton::clicked, this, &TLoadAllMemForm::RestoreBClick);
}

void TLoadAllMemForm::BackupFirstCheckClick(bool checked) {
    QtSettingsStore store;
    store.setValue(kBackupFirstKey, checked ? "true" : "false");
    store.sync();
}

void TLoadAllMemForm::BackupBClick() {
    run([](Session& s) { backupCabinet(s); });
}

void TLoadAllMemForm::RestoreBClick() {
    const QString folder = QString::fromStdString(platform::utf8FromPath(platform::backupFolder()));
    const QString file = QFileDialog::getOpenFileName(this, "Restore", folder.isEmpty() ? QDir::currentPath() : folder,
                                                      "Library files (*.HLB *.hlb);;All files (*)");
    if (file.isEmpty()) return;
    run([f = file.toStdString()](Session& s) { restoreCabinet(s, f); });
}

}  // namespace vela::app
