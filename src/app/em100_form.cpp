#include "app/em100_form.h"

#include "app/app_context.h"
#include "app/gui_options.h"
#include "app/qt_user_interface.h"
#include "app/rig_form.h"
#include "app/session_worker.h"
#include "session/module_operations.h"
#include "session/session.h"
#include "session/session_view.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

namespace vela::app {
namespace {

QLabel* legend(const QString& text, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setProperty("role", "legend");
    label->setGeometry(geometry);
    return label;
}

QPushButton* button(const QString& caption, const QRect& geometry, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(geometry);
    return b;
}

} // namespace

// The module procedures with their UDP socket and host lookup, all on the worker thread.
TEM100Form::TEM100Form(AppContext& context, const FirmwareChoice& firmware, QWidget* parent)
    : BorderlessWindow(QStringLiteral("ETHERNET"), {460, 440}, parent), context_(context),
      modules_(std::make_shared<std::unique_ptr<ModuleAccess>>()) {
    const GuiOptions& o = context_.options;
    if (o.broadcast) settings.broadcast = *o.broadcast;
    if (o.udpPort) settings.udpPort = *o.udpPort;
    if (o.tcpPort)
        settings.tcpPort = *o.tcpPort;
    else if (o.link.kind == LinkKind::Ethernet)
        settings.tcpPort = o.link.tcpPort;

    addLogo({16, 10, 96, 32});
    addBanner(QStringLiteral("ETHERNET"), {120, 14, 220, 24});

    const EthernetModuleView start;
    legend(QStringLiteral("MODEL"), {20, 56, 70, 24}, this);
    ModelComboBox = new QComboBox(this);
    for (const auto& item : start.modelItems)
        ModelComboBox->addItem(QString::fromStdString(item));
    ModelComboBox->setPlaceholderText(QString::fromStdString(start.modelText));
    ModelComboBox->setCurrentIndex(-1);
    ModelComboBox->setAccessibleName(QStringLiteral("Model"));
    ModelComboBox->setGeometry(96, 56, 150, 24);
    ScanB = button(QStringLiteral("Scan"), {256, 55, 80, 26}, this);
    WholeRigB = button(QStringLiteral("Whole rig"), {346, 55, 94, 26}, this);

    ScanProgress = new QProgressBar(this);
    ScanProgress->setRange(0, 100);
    ScanProgress->setValue(0);
    ScanProgress->setTextVisible(false);
    ScanProgress->setAccessibleName(QStringLiteral("Scan progress"));
    ScanProgress->setGeometry(20, 92, 420, 10);
    Label2 = new QLabel(this);
    Label2->setProperty("role", "status");
    Label2->setGeometry(20, 106, 420, 20);

    Label1 = legend(QStringLiteral("PROCESSORS"), {20, 136, 96, 24}, this);
    ProcessorBox = new QComboBox(this);
    ProcessorBox->setAccessibleName(QStringLiteral("Processors"));
    ProcessorBox->setGeometry(120, 136, 200, 24);
    Label1->setBuddy(ProcessorBox);

    IPList = new QListWidget(this);
    IPList->setAccessibleName(QStringLiteral("Found modules"));
    IPList->setGeometry(20, 170, 190, 124);
    IPList->installEventFilter(this);

    Label3 = legend(QStringLiteral("IP"), {228, 170, 24, 24}, this);
    Label5 = new QLabel(QString::fromStdString(start.chosenIp), this);
    Label5->setProperty("role", "status");
    Label5->setAccessibleName(QStringLiteral("Module address"));
    Label5->setGeometry(256, 170, 184, 24);
    ConnectB = button(QStringLiteral("Connect"), {228, 202, 100, 28}, this);
    IdentifyButton1 = button(QStringLiteral("Identify"), {338, 202, 102, 28}, this);
    IdentifyButton1->setToolTip(QStringLiteral("Blink Ethernet LEDS"));

    ManagementGroup = new QGroupBox(QStringLiteral("IP Management"), this);
    ManagementGroup->setGeometry(20, 304, 420, 98);
    static const char* const names[4] = {"IP01", "IP02", "IP03", "IP04"};
    for (std::size_t i = 0; i < IP.size(); ++i) {
        auto* edit = new QSpinBox(ManagementGroup);
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
        // The module takes no network or broadcast address as its own.
        edit->setRange(i < 3 ? 0 : 1, i < 3 ? 255 : 254);
        edit->setValue(std::stoi(start.ip[i]));
        edit->setAccessibleName(QString::fromLatin1(names[i]));
        edit->setAlignment(Qt::AlignCenter);
        edit->setGeometry(12 + int(i) * 54, 26, 42, 24);
        if (i > 0) legend(QStringLiteral("."), {int(i) * 54 + 2, 26, 8, 24}, ManagementGroup);
        IP[i] = edit;
    }
    ChangeIP = button(QStringLiteral("Change IP"), {252, 25, 156, 26}, ManagementGroup);
    // No length limit here: a longer name, listed or typed, shows whole, and Change Host
    // Name says that it is too long instead of sending a cut one.
    HostEdit = new QLineEdit(ManagementGroup);
    HostEdit->setAccessibleName(QStringLiteral("Host Name"));
    HostEdit->setGeometry(12, 60, 204, 24);
    ChangeName = button(QStringLiteral("Change Host Name"), {252, 59, 156, 26}, ManagementGroup);

    StatusB = new QLabel(QString::fromStdString(start.statusB), this);
    StatusB->setProperty("role", "status");
    StatusB->setAccessibleName(QStringLiteral("Connection status"));
    StatusB->setGeometry(20, 408, 420, 22);

    // The icons come last in the keyboard order, after the window's own controls.
    addMinimiseIcon({404, 10});
    addCloseIcon({430, 10});

    connect(ModelComboBox, &QComboBox::activated, this, &TEM100Form::ModelComboBoxChange);
    connect(ScanB, &QPushButton::clicked, this, &TEM100Form::ScanBClick);
    connect(ProcessorBox, &QComboBox::activated, this, &TEM100Form::ProcessorBoxClick);
    connect(ChangeIP, &QPushButton::clicked, this, &TEM100Form::ChangeIPClick);
    connect(ChangeName, &QPushButton::clicked, this, &TEM100Form::ChangeNameClick);
    connect(IdentifyButton1, &QPushButton::clicked, this, &TEM100Form::IdentifyButton1Click);
    connect(ConnectB, &QPushButton::clicked, this, &TEM100Form::ConnectBClick);
    // Host names are upper case.
    connect(HostEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int at = HostEdit->cursorPosition();
        HostEdit->setText(upper);
        HostEdit->setCursorPosition(at);
    });
    connect(&context_.ui, &QtUserInterface::statusChanged, this,
            [this](StatusField field, const QString& text) {
                // StatusB follows the session's link: see showSession.
                if (field == StatusField::ScanStatus) Label2->setText(text);
            });
    connect(&context_.ui, &QtUserInterface::gaugeChanged, this,
            [this](Gauge gauge, int position, int maximum) {
                if (gauge != Gauge::ScanProgress) return;
                ScanProgress->setMaximum(maximum);
                ScanProgress->setValue(position);
            });

    rigForm_ = std::make_unique<TRigForm>(context_, firmware, settings);
    RigForm = rigForm_.get();
    connect(WholeRigB, &QPushButton::clicked, this, &TEM100Form::WholeRigBClick);

    showView(start);
    connect(&context_.worker, &SessionWorker::sessionChanged, this, &TEM100Form::showSession);
}

void TEM100Form::CerrarIconClick() {
    context_.worker.run([](Session& s) { s.windows.ethernetFormVisible = false; });
    hide();
}

TEM100Form::~TEM100Form() {
    // The socket was made on the worker thread and is let go there.
    context_.worker.run([modules = modules_](Session&) { modules->reset(); });
}

void TEM100Form::runProcedure(std::function<void(Session&, ModuleAccess&)> step, std::function<void()> then) {
    setBusy(true);
    context_.worker.run(
        [modules = modules_, settings = settings, step = std::move(step)](Session& s) {
            if (!*modules) *modules = std::make_unique<ModuleAccess>(s, settings);
            step(s, **modules);
        },
        [this, then = std::move(then)] {
            setBusy(false);
            if (then) then();
        });
}

void TEM100Form::showSession(const SessionViewPtr& view) {
    view_ = view;
    showView(view->ethernet);
    // Connected while the session's link is this module's, else "offline".
    const bool connected = view->linkStatus.starts_with("ETHERNET: Connected");
    const std::string status = connected ? view->linkStatus : EthernetModuleView{}.statusB;
    StatusB->setText(QString::fromStdString(status));
    StatusB->setStyleSheet(connected ? QStringLiteral("color: #5cd66a;") : QString());
    // Asked for (ETHERNET, or the processor window's button): the window the user goes on in.
    if (view->windows.ethernetFormVisible && !isVisible()) bringToFront();
    if (!view->windows.ethernetFormVisible && isVisible()) hide();
}

void TEM100Form::setBusy(bool busy) {
    for (QWidget* w : std::initializer_list<QWidget*>{ModelComboBox, ScanB, ProcessorBox, IPList, ConnectB,
                                                      IdentifyButton1, ManagementGroup})
        w->setEnabled(!busy);
}

void TEM100Form::showView(const EthernetModuleView& view) {
    ScanB->setVisible(view.scanButtonShown);
    Label2->setText(QString::fromStdString(view.scanStatus));
    Label1->setVisible(view.deviceListShown);
    ProcessorBox->setVisible(view.deviceListShown);
    // The lists are rebuilt only when they changed, so the user's choice in them stays.
    QStringList names;
    for (const auto& name : view.processorBox)
        names << QString::fromStdString(name);
    QStringList shown;
    for (int i = 0; i < ProcessorBox->count(); ++i)
        shown << ProcessorBox->itemText(i);
    if (names != shown) {
        ProcessorBox->clear();
        ProcessorBox->addItems(names);
        ProcessorBox->setCurrentIndex(-1);
    }
    QStringList entries;
    for (const auto& entry : view.ipList)
        entries << QString::fromStdString(entry);
    QStringList listed;
    for (int i = 0; i < IPList->count(); ++i)
        listed << IPList->item(i)->text();
    if (entries != listed) {
        IPList->clear();
        IPList->addItems(entries);
    }
    // An empty box with no caption says nothing to the user; it appears with its entries.
    IPList->setVisible(!entries.isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{ConnectB, IdentifyButton1, Label3, Label5})
        w->setVisible(view.moduleControlsShown);
    ManagementGroup->setVisible(view.managementShown);
    Label5->setText(QString::fromStdString(view.chosenIp));
    // The fields the user types in change only when the session's values change: any other
    // refresh keeps what was typed.
    if (view.ip != shownIp_ || view.hostEdit != shownHost_) showModuleFields(view);
}

void TEM100Form::showModuleFields(const EthernetModuleView& view) {
    shownIp_ = view.ip;
    shownHost_ = view.hostEdit;
    for (std::size_t i = 0; i < IP.size(); ++i) {
        bool ok = false;
        const int value = QString::fromStdString(view.ip[i]).toInt(&ok);
        if (ok) IP[i]->setValue(value);
    }
    HostEdit->setText(QString::fromStdString(view.hostEdit));
}

void TEM100Form::ModelComboBoxChange(int index) {
    if (index < 0) return;
    const std::string model = ModelComboBox->itemText(index).toStdString();
    runProcedure([model](Session& s, ModuleAccess& m) { scanForModules(s, m, model); });
}

void TEM100Form::ScanBClick() {
    runProcedure([](Session& s, ModuleAccess& m) { scanAgain(s, m); });
}

void TEM100Form::WholeRigBClick() { RigForm->open(); }

void TEM100Form::ProcessorBoxClick(int index) {
    runProcedure([index](Session& s, ModuleAccess& m) { chooseFoundModule(s, m, index); },
                 [this, index] {
                     ProcessorBox->setCurrentIndex(index);
                     // A module chosen shows its own address and name, even where they equal
                     // the last module's.
                     if (view_) showModuleFields(view_->ethernet);
                 });
}

void TEM100Form::IPListKeyDown(int index) {
    runProcedure([index](Session& s, ModuleAccess& m) { forgetFoundModule(s, m, index); });
}

bool TEM100Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == IPList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && IPList->currentRow() >= 0) {
            IPListKeyDown(IPList->currentRow());
            return true;
        }
    }
    return BorderlessWindow::eventFilter(watched, event);
}

void TEM100Form::ChangeIPClick() {
    std::array<std::string, 4> ip;
    for (std::size_t i = 0; i < ip.size(); ++i)
        ip[i] = IP[i]->text().toStdString();
    runProcedure([ip](Session& s, ModuleAccess& m) { changeModuleIp(s, m, ip); });
}

void TEM100Form::ChangeNameClick() {
    const std::string name = HostEdit->text().toStdString();
    runProcedure([name](Session& s, ModuleAccess& m) { changeModuleName(s, m, name); });
}

void TEM100Form::IdentifyButton1Click() {
    runProcedure([](Session& s, ModuleAccess& m) { identifyModule(s, m); });
}

void TEM100Form::ConnectBClick() {
    auto connected = std::make_shared<bool>(false);
    runProcedure(
        [connected](Session& s, ModuleAccess& m) {
            *connected = connectToModule(s, m) == OperationResult::Done;
        },
        [this, connected] {
            if (*connected) emit moduleConnected();
        });
}

} // namespace vela::app
