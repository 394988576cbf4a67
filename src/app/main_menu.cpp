#include "app/main_menu.h"

#include "app/acercade_form.h"
#include "app/app_context.h"
#include "app/connect_form.h"
#include "app/designer_window.h"
#include "app/em100_form.h"
#include "app/led_button.h"
#include "app/modal_window.h"
#include "app/library_form.h"
#include "app/password_dialog.h"
#include "app/qt_user_interface.h"
#include "app/response_window.h"
#include "app/session_worker.h"
#include "app/system_info_form.h"
#include "app/window_set.h"
#include "preset/new_preset.h"
#include "session/operations.h"
#include "session/preset_document.h"
#include "session/realtime_mode.h"
#include "session/session.h"
#include "session/session_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

namespace vela::app {
namespace {

const QString kPresetFilter = QStringLiteral("Preset files (*.hdp);;All files (*)");

QPushButton* button(const QString& caption, const QString& hint, const QRect& geometry, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setGeometry(geometry);
    return b;
}

QGroupBox* group(const QString& title, const QRect& geometry, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setGeometry(geometry);
    return g;
}

}  // namespace

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

TMainMenu::TMainMenu(AppContext& context, const FirmwareChoice& firmware, QWidget* parent)
    : BorderlessWindow(QStringLiteral("MainMenu"), {560, 392}, parent), context_(context), firmware_(firmware) {
    addLogo({16, 10, 96, 32});
    addBanner(QStringLiteral("HALDA40 - Digital Audio Controller"), {120, 14, 330, 24});

    // The preset document.
    QGroupBox* preset = group(QStringLiteral("PRESET"), {16, 52, 528, 62}, this);
    NewButton = button(QStringLiteral("New"), QStringLiteral("New File"), {10, 24, 60, 26}, preset);
    OpenButton = button(QStringLiteral("Open"), QStringLiteral("Open File"), {76, 24, 60, 26}, preset);
    SaveButton = button(QStringLiteral("Save"), QStringLiteral("Save to File"), {142, 24, 60, 26}, preset);
    SystemName = new QLineEdit(QString::fromLatin1(kDefaultSystemName), preset);
    SystemName->setMaxLength(40);
    SystemName->setAccessibleName(QStringLiteral("PRESET NAME"));
    SystemName->setToolTip(QStringLiteral("Preset name"));
    SystemName->setGeometry(214, 25, 200, 24);
    SystemInfoB = button(QStringLiteral("System Info"), QStringLiteral("System Info"), {422, 24, 96, 26}, preset);

    // One program memory.
    QGroupBox* memory = group(QStringLiteral("MEMORY"), {16, 122, 528, 62}, this);
    Label9 = new ClickableLabel(QStringLiteral("PROGRAM"), memory);
    Label9->setProperty("role", "legend");
    Label9->setGeometry(10, 24, 70, 26);
    NProgramSpin = new QSpinBox(memory);
    NProgramSpin->setRange(1, 13);
    NProgramSpin->setValue(1);
    NProgramSpin->setToolTip(QStringLiteral("Select Memory to Load / Store"));
    NProgramSpin->setAccessibleName(QStringLiteral("PROGRAM"));
    NProgramSpin->setGeometry(82, 25, 52, 24);
    Label9->setBuddy(NProgramSpin);
    ReadButton = button(QStringLiteral("Read"), QStringLiteral("Read From HALDA40"), {142, 24, 54, 26}, memory);
    WriteButton = button(QStringLiteral("Write"), QStringLiteral("Write to HALDA40 Memory"), {200, 24, 54, 26}, memory);
    ChangeButton = button(QStringLiteral("Change"), QStringLiteral("Change HALDA40 Memory"), {258, 24, 72, 26}, memory);
    CopyAllMem = button(QStringLiteral("Same Copy at All Memories"), QStringLiteral("Same Copy at All Memories"),
                        {334, 24, 184, 26}, memory);
    CopyAllMem->setStyleSheet(QStringLiteral("padding: 3px 4px;"));  // a long caption in a short row
    CopyAllMem->hide();

    // The unit as a whole.
    UnitPanel = group(QStringLiteral("UNIT"), {16, 192, 528, 62}, this);
    BlockB = button(QStringLiteral("Lock"), QStringLiteral("To Block HALDA40 Keyboard"), {10, 24, 60, 26}, UnitPanel);
    UnblockB = button(QStringLiteral("Unlock"), QStringLiteral("Unblock HALDA40 Keyboard"), {76, 24, 66, 26}, UnitPanel);
    PasswordB = button(QStringLiteral("Password"), QStringLiteral("Set Password"), {148, 24, 80, 26}, UnitPanel);
    OnlyChangeProgB = button(QStringLiteral("Only Change"), QStringLiteral("Unblock HALDA40 Keyboard"),
                             {234, 24, 104, 26}, UnitPanel);
    UpdateDSP = button(QStringLiteral("Update DSP"), QStringLiteral("Update DSP Program"), {350, 24, 96, 26}, UnitPanel);
    ResetDSP = button(QStringLiteral("RST"), QStringLiteral("Reset DSP"), {452, 24, 66, 26}, UnitPanel);

    // The link and the rest.
    ConnectButton = button(QStringLiteral("Connect"), QStringLiteral("Connect"), {16, 268, 80, 28}, this);
    EthernetB = button(QStringLiteral("ETHERNET"), QStringLiteral("ETHERNET"), {102, 268, 90, 28}, this);
    EthernetB->hide();
    RealTimeB = new LedButton(QStringLiteral("Real Time"), this);
    RealTimeB->setToolTip(QStringLiteral("Real Time Mode"));
    RealTimeB->setGeometry(198, 268, 116, 28);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(1, 2);
    SpinEdit1->setValue(1);
    SpinEdit1->setAccessibleName(QStringLiteral("Real Time Target"));
    SpinEdit1->setGeometry(320, 270, 44, 24);
    SpinEdit1->hide();
    LoadAllMemB = button(QStringLiteral("Library"), QStringLiteral("Library"), {370, 268, 80, 28}, this);
    LoadAllMemB->hide();
    AcercadeButton = button(QStringLiteral("About"), QStringLiteral("About us"), {464, 268, 80, 28}, this);

    // Labels without an accessible name of their own: assistive tools read their text.
    InfoLabel = new QLabel(QStringLiteral("No Connected"), this);
    InfoLabel->setProperty("role", "status");
    InfoLabel->setGeometry(20, 310, 436, 22);
    OutcomeLabel = new QLabel(this);
    OutcomeLabel->setProperty("role", "status");
    OutcomeLabel->setGeometry(20, 334, 436, 22);
    // Under About, beside the status line.
    ResponseButton = button(QStringLiteral("Response"), QStringLiteral("Response plot of the preset"),
                            {464, 314, 80, 28}, this);
    response_ = std::make_unique<ResponseWindow>(context_);
    DesignerButton = button(QStringLiteral("Designer"), QStringLiteral("Preset Designer"), {464, 350, 80, 28}, this);

    // The icons come last in the keyboard order, after the window's own controls.
    addMinimiseIcon({504, 10});
    addCloseIcon({530, 10});

    connect(NewButton, &QPushButton::clicked, this, &TMainMenu::NewButtonClick);
    connect(OpenButton, &QPushButton::clicked, this, &TMainMenu::OpenButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TMainMenu::SaveButtonClick);
    connect(SystemName, &QLineEdit::textChanged, this, &TMainMenu::SystemNameChange);
    connect(SystemInfoB, &QPushButton::clicked, this, &TMainMenu::SystemInfoBClick);
    connect(Label9, &ClickableLabel::clicked, this, &TMainMenu::Label9Click);
    connect(NProgramSpin, &QSpinBox::valueChanged, this, &TMainMenu::NProgramSpinChange);
    connect(ReadButton, &QPushButton::clicked, this, &TMainMenu::ReadButtonClick);
    connect(WriteButton, &QPushButton::clicked, this, &TMainMenu::WriteButtonClick);
    connect(ChangeButton, &QPushButton::clicked, this, &TMainMenu::ChangeButtonClick);
    connect(CopyAllMem, &QPushButton::clicked, this, &TMainMenu::CopyAllMemClick);
    connect(BlockB, &QPushButton::clicked, this, &TMainMenu::BlockBClick);
    connect(UnblockB, &QPushButton::clicked, this, &TMainMenu::UnblockBClick);
    connect(PasswordB, &QPushButton::clicked, this, &TMainMenu::PasswordBClick);
    connect(OnlyChangeProgB, &QPushButton::clicked, this, &TMainMenu::OnlyChangeProgBClick);
    connect(UpdateDSP, &QPushButton::clicked, this, &TMainMenu::UpdateDSPClick);
    connect(ResetDSP, &QPushButton::clicked, this, &TMainMenu::ResetDSPClick);
    connect(ConnectButton, &QPushButton::clicked, this, &TMainMenu::ConnectButtonClick);
    connect(EthernetB, &QPushButton::clicked, this, &TMainMenu::EthernetBClick);
    connect(RealTimeB, &QPushButton::clicked, this, &TMainMenu::RealTimeBClick);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TMainMenu::SpinEdit1Change);
    connect(LoadAllMemB, &QPushButton::clicked, this, &TMainMenu::LoadAllMemBClick);
    connect(AcercadeButton, &QPushButton::clicked, this, &TMainMenu::AcercadeButtonClick);
    connect(ResponseButton, &QPushButton::clicked, this, &TMainMenu::ResponseButtonClick);
    connect(DesignerButton, &QPushButton::clicked, this, &TMainMenu::DesignerButtonClick);

    // InfoLabel says what the session's link is, from the session's view alone (showView).
    // The name, caption and System-Info fields follow the preset wherever it was changed.
    documentListener_ = context_.document.subscribe([this] { showPresetIdentity(); });
    // Operations started from any window change what this one shows.
    connect(&context_.worker, &SessionWorker::sessionChanged, this, &TMainMenu::showView);
    // Pressed during a run, these would act only after it: they wait disabled.
    for (QPushButton* b : {ConnectButton, EthernetB, CopyAllMem, LoadAllMemB}) {
        connect(&context_.worker, &SessionWorker::started, b, [b] { b->setEnabled(false); });
        connect(&context_.worker, &SessionWorker::idle, b, [b] { b->setEnabled(true); });
    }

    chooseOpenFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(), kPresetFilter);
    };
    chooseSaveFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save"), QStringLiteral("NoName.hdp"), kPresetFilter);
    };
    askPassword = [this]() -> std::optional<PasswordBytes> {
        PasswordDialog dialog(this);
        dialog.exec();
        return dialog.confirmedBytes();
    };
    // No link yet: the ten unit commands start disabled.
    setUnitCommandsEnabled(false);
}

TMainMenu::~TMainMenu() { context_.document.unsubscribe(documentListener_); }

std::array<QWidget*, 10> TMainMenu::unitCommandControls() const {
    return {ReadButton, WriteButton, ChangeButton, UpdateDSP, ResetDSP, UnblockB, BlockB, PasswordB, NProgramSpin,
            OnlyChangeProgB};
}

void TMainMenu::setUnitCommandsEnabled(bool enabled) {
    for (QWidget* w : unitCommandControls()) w->setEnabled(enabled);
}

void TMainMenu::showView(const SessionViewPtr& view) {
    view_ = view;
    setUnitCommandsEnabled(view->unitCommandsEnabled);
    OutcomeLabel->setText(QString::fromStdString(view->commandOutcome));
    if (NProgramSpin->value() != view->state.ProgramNumber) {
        const QSignalBlocker quiet(NProgramSpin);
        NProgramSpin->setValue(view->state.ProgramNumber);
    }
    RealTimeB->setLedOn(view->state.RealTimeMode);
    EthernetB->setVisible(view->windows.ethernetButtonVisible);
    if (view->linkStatus != shownLinkStatus_) {
        shownLinkStatus_ = view->linkStatus;
        showInfo(QString::fromStdString(shownLinkStatus_));
    }
}

void TMainMenu::showInfo(const QString& text) {
    InfoLabel->setText(text);
    // A connected Ethernet link shows in green.
    InfoLabel->setStyleSheet(text.startsWith(QStringLiteral("ETHERNET: Connected")) ? QStringLiteral("color: #5cd66a;")
                                                                                   : QString());
}

void TMainMenu::showPresetIdentity() {
    const PresetParameters& p = context_.document.preset();
    copySystemName(QString::fromStdString(p.MainSystemName));
    setWindowTitle(p.Caption.empty() ? QStringLiteral("MainMenu") : QString::fromStdString(p.Caption));
    if (context_.windows && context_.windows->systemInfo) context_.windows->systemInfo->showFields(p.SystemInfo);
}

void TMainMenu::runUnitCommand(std::function<void(Session&)> command) {
    setUnitCommandsEnabled(false);
    context_.worker.run(std::move(command));
}

// ---- The preset document ---------------------------------------------------------------

void TMainMenu::NewButtonClick() {
    context_.document.startNew([this] {
        const QString file = chooseSaveFile();
        if (!file.isEmpty()) context_.document.saveAs(file.toStdString());
    });
}

void TMainMenu::OpenButtonClick() {
    // New's question first; Cancel there ends only the question, and the file dialog still
    // follows. The file is judged before the preset changes: a cancelled or refused Open
    // leaves it, and real-time mode, as they were.
    context_.document.askToSave([this] {
        const QString file = chooseSaveFile();
        return !file.isEmpty() && context_.document.saveAs(file.toStdString());
    });
    const QString file = chooseOpenFile();
    if (file.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    context_.document.open(file.toStdString());
    QApplication::restoreOverrideCursor();
}

void TMainMenu::SaveButtonClick() {
    const QString file = chooseSaveFile();
    if (!file.isEmpty()) context_.document.saveAs(file.toStdString());
}

void TMainMenu::SystemNameChange(const QString& text) {
    emit systemNameChanged(text);
    if (text.toStdString() != context_.document.preset().MainSystemName)
        context_.document.set(*findParameter("name"), text.toStdString(), "name");
}

void TMainMenu::copySystemName(const QString& name) {
    if (SystemName->text() != name) SystemName->setText(name.left(SystemName->maxLength()));
}

// ---- Unit commands ---------------------------------------------------------------------

void TMainMenu::ReadButtonClick() {
    runUnitCommand([](Session& s) { readProgram(s); });
}

void TMainMenu::WriteButtonClick() {
    runUnitCommand([preset = context_.document.preset()](Session& s) { writePresetProgram(s, preset); });
}

void TMainMenu::ChangeButtonClick() {
    runUnitCommand([](Session& s) { changeProgram(s); });
}

void TMainMenu::CopyAllMemClick() {
    runUnitCommand([preset = context_.document.preset()](Session& s) { copyPresetProgramToAll(s, preset); });
}

void TMainMenu::ResetDSPClick() {
    runUnitCommand([](Session& s) { resetUnit(s); });
}

void TMainMenu::UpdateDSPClick() {
    runUnitCommand([this](Session& s) { updateDspOperatingSystem(s, firmware_); });
}

void TMainMenu::BlockBClick() {
    runUnitCommand([](Session& s) { lockKeyboard(s); });
}

void TMainMenu::UnblockBClick() {
    runUnitCommand([](Session& s) { unlockKeyboard(s); });
}

void TMainMenu::PasswordBClick() {
    setUnitCommandsEnabled(false);
    // Over a link that cannot carry it the command says so without asking for a password.
    const bool carried = view_ && (view_->state.UsbActive || view_->state.SerialActive);
    const auto confirmed = carried && askPassword ? askPassword() : std::nullopt;
    runUnitCommand([confirmed](Session& s) { sendPassword(s, confirmed); });
}

void TMainMenu::OnlyChangeProgBClick() {
    runUnitCommand([](Session& s) { onlyChangeFromKeyboard(s); });
}

void TMainMenu::NProgramSpinChange(int value) {
    context_.worker.run([value](Session& s) { s.state.setProgramNumber(value); });
}

void TMainMenu::SpinEdit1Change(int value) {
    const auto target = static_cast<std::uint8_t>(value);
    // Frames still waiting keep the target they were made for; later ones carry this one.
    context_.worker.realTimeQueue().setTarget(target);
    context_.worker.run([target](Session& s) { s.state.RealTimeTarget = target; });
}

void TMainMenu::RealTimeBClick() {
    context_.worker.run([preset = context_.document.preset()](Session& s) { toggleRealTime(s, preset); });
}

// ---- Other windows ---------------------------------------------------------------------

void TMainMenu::ConnectButtonClick() {
    // The connection window shows itself when the session says it is visible.
    context_.worker.run([](Session& s) { s.windows.connectFormVisible = true; });
}

void TMainMenu::EthernetBClick() {
    // Already open behind another window, it comes to the top all the same.
    context_.worker.run([](Session& s) { s.windows.ethernetFormVisible = true; },
                        [this] {
                            if (context_.windows && context_.windows->ethernet) context_.windows->ethernet->bringToFront();
                        });
}

void TMainMenu::LoadAllMemBClick() {
    if (context_.windows && context_.windows->library) {
        context_.windows->library->show();
        context_.windows->library->raise();
    }
}

void TMainMenu::SystemInfoBClick() {
    if (context_.windows && context_.windows->systemInfo) showModalOver(*context_.windows->systemInfo, this);
}

void TMainMenu::AcercadeButtonClick() {
    if (context_.windows && context_.windows->about) showModalOver(*context_.windows->about, this);
}

void TMainMenu::ResponseButtonClick() {
    response_->show();
    response_->raise();
}

DesignerWindow& TMainMenu::designer() {
    if (!designer_) designer_ = std::make_unique<DesignerWindow>(context_);
    return *designer_;
}

void TMainMenu::DesignerButtonClick() { designer().bringToFront(); }

void TMainMenu::Label9Click() {
    auto revealed = std::make_shared<bool>(false);
    context_.worker.run(
        [revealed](Session& s) { *revealed = clickProgramLabel(s); },
        [this, revealed] {
            if (!*revealed) return;
            CopyAllMem->show();
            LoadAllMemB->show();
        });
}

void TMainMenu::FormActivate() {
    context_.worker.run([](Session& s) { startServiceCount(s); });
}

void TMainMenu::showEvent(QShowEvent* event) {
    FormActivate();
    BorderlessWindow::showEvent(event);
}

void TMainMenu::CerrarIconClick() {
    if (context_.windows && context_.windows->connect)
        context_.windows->connect->endProgram();
    else
        close();
}

void TMainMenu::closeEvent(QCloseEvent* event) {
    // Alt+F4 and the window manager's close end the program, as the close icon does.
    if (!context_.windows || !context_.windows->connect) return BorderlessWindow::closeEvent(event);
    event->ignore();
    CerrarIconClick();
}

}  // namespace vela::app
