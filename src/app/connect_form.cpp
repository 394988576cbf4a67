#include "app/connect_form.h"

#include "app/led_button.h"
#include "app/qt_user_interface.h"
#include "session/operations.h"
#include "update/update_check.h"

#include "core/run_log.h"
#include "platform/folders.h"
#include "platform/utf8_paths.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QUrl>

#include <filesystem>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vela::app {
namespace {

const char* const kInstructions[] = {
    "     This software updates your memory PRESETS and DSP Program with the latest version",
    "",
    "     1.- Power On your cabinet",
    "     2.- Wait at least 5 second until the soft start have finished",
    "     3.- Connect your USB.",
    "     4.- Wait for the USB Drivers Auto-Installation.",
    "     5.- Press USB button for connect.",
};

LedButton* linkButton(QWidget* parent, const char* name, const QString& caption, LinkKind tag, QPoint at) {
    auto* b = new LedButton(caption, parent);
    b->setObjectName(name);
    b->setTag(static_cast<int>(tag));
    b->move(at);
    return b;
}

}  // namespace

TConnectForm::TConnectForm(AppContext& context, QWidget* parent)
    : BorderlessWindow("VELAupdate", QSize(489, 396), parent),
      context_(context),
      outOfSight_(this),
      closer_(context.worker, context.ui) {
    setObjectName("TConnectForm");
    addLogo(QRect(16, 12, 120, 40));
    Panel11 = addBanner("Tessera UPDATER V1.9", QRect(140, 16, 300, 34));
    Panel11->setObjectName("Panel11");

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setAccessibleName("Instructions");
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setStyleSheet("QPlainTextEdit { border: none; background: transparent; }");
    QStringList lines;
    for (const char* line : kInstructions) lines << QString::fromUtf8(line);
    Memo1->setPlainText(lines.join('\n'));
    Memo1->setGeometry(20, 68, 449, 170);

    Label2 = new QLabel("CONNECT", this);
    Label2->setObjectName("Label2");
    Label2->setProperty("role", "legend");
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(0, 262, 489, 18);

    // USB and ETHERNET side by side: Ethernet is a road the user chooses as well.
    USBButton = linkButton(this, "USBButton", "USB", LinkKind::USB, QPoint(124, 288));
    EtherButton = linkButton(this, "EtherButton", "ETHERNET", LinkKind::Ethernet, QPoint(255, 288));
    USBButton->setFixedWidth(110);
    EtherButton->setFixedWidth(110);
    // The other link buttons lie beyond the right edge, where only the program reaches them.
    OffLineB = linkButton(this, "OffLineB", "Offline", LinkKind::Offline, QPoint(530, 288));
    Com1B = linkButton(this, "Com1B", "Com1", LinkKind::COM1, QPoint(530, 322));
    Com2B = linkButton(this, "Com2B", "Com2", LinkKind::COM2, QPoint(530, 356));
    OffLineB->setLedOn(true);
    USBButton->hide();
    EtherButton->hide();
    OKBoton = new QPushButton("OK", this);
    OKBoton->setObjectName("OKBoton");
    OKBoton->move(640, 322);
    OKBoton->hide();
    outOfSight_.hold({OffLineB, Com1B, Com2B, OKBoton});

    for (LedButton* b : buttons()) connect(b, &QPushButton::clicked, this, &TConnectForm::OffLineBClick);
    connect(OKBoton, &QPushButton::clicked, this, &TConnectForm::OKBotonClick);
    UpdateCheckBox = new QCheckBox(kCheckForUpdatesCaption, this);
    UpdateCheckBox->setObjectName("UpdateCheckBox");
    UpdateCheckBox->setGeometry(20, 366, 370, 20);
    UpdateCheckBox->setEnabled(false);  // until the kept choice is bound
    LogsButton = new QPushButton("Logs", this);
    LogsButton->setObjectName("LogsButton");
    LogsButton->setToolTip("Open the folder of the run logs");
    LogsButton->setGeometry(399, 362, 70, 24);
    connect(LogsButton, &QPushButton::clicked, this, &TConnectForm::LogsButtonClick);

    auto* close = addCloseIcon(QPoint(463, 6));
    setTabOrder(USBButton, EtherButton);
    setTabOrder(EtherButton, UpdateCheckBox);
    setTabOrder(UpdateCheckBox, LogsButton);
    setTabOrder(LogsButton, close);
    connect(&context.worker, &SessionWorker::sessionChanged, this, &TConnectForm::showView);
}

void TConnectForm::bindUpdatePreferences(UpdatePreferences& preferences) {
    if (!UpdateSettings::serverConfigured()) {
        // Nothing would be checked: the box says why instead of looking active.
        UpdateCheckBox->setText(kNoUpdateServerCaption);
        UpdateCheckBox->setChecked(false);
        UpdateCheckBox->setEnabled(false);
        UpdateCheckBox->setToolTip(QString("Set %1 to the maker's update server").arg(kUpdateServerVariable));
        return;
    }
    UpdateCheckBox->setChecked(preferences.checkAtStart());
    // The environment switch is the administrator's: the box shows it and cannot overrule it.
    UpdateCheckBox->setEnabled(!UpdatePreferences::switchedOffByEnvironment());
    if (UpdatePreferences::switchedOffByEnvironment())
        UpdateCheckBox->setToolTip(QString("Switched off by %1").arg(kNoUpdateCheckVariable));
    connect(UpdateCheckBox, &QCheckBox::toggled, this, [&preferences](bool on) { preferences.setCheckAtStart(on); });
}

void TConnectForm::LogsButtonClick() {
    const auto dir = RunLog::defaultDirectory();
    if (dir.empty()) {
        context_.ui.information(std::string("No folder for the run logs is known: set ") +
                                platform::stateFolderVariables() + ".");
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(platform::utf8FromPath(dir)))))
        context_.ui.information("The run logs are in " + platform::utf8FromPath(dir));
}

void TConnectForm::showLinkButtons() {
    USBButton->show();
    EtherButton->show();
    // The keyboard starts where the instructions end: on USB.
    USBButton->setFocus();
}

void TConnectForm::OffLineBClick() {
    const auto* b = qobject_cast<LedButton*>(sender());
    select(b ? static_cast<LinkKind>(b->tag()) : LinkKind::Offline);
}

void TConnectForm::select(LinkKind tag) {
    for (LedButton* b : buttons()) {
        b->setLedOn(false);
        b->setEnabled(false);
    }
    context_.worker.run([tag](Session& s) { chooseLink(s, tag); },
                        [this] {
                            for (LedButton* b : buttons()) b->setEnabled(true);
                        });
}

void TConnectForm::OKBotonClick() {
    context_.worker.run([](Session& s) { finishLinkChoice(s); });
}

void TConnectForm::showView(const SessionViewPtr& view) {
    const SessionState& st = view->state;
    OffLineB->setLedOn(st.Link == LinkKind::Offline && !st.UsbActive && !st.EthernetActive && !st.SerialActive);
    USBButton->setLedOn(st.UsbActive);
    EtherButton->setLedOn(st.EthernetActive);
    if (view->windows.connectFormVisible) {
        if (!isVisible()) bringToFront();
    } else if (isVisible()) {
        hide();
    }
}

void TConnectForm::showModalForRun(std::function<void()> hidden) {
    modalHidden_ = std::move(hidden);
    hide();  // modality changes only while hidden
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TConnectForm::hideEvent(QHideEvent* event) {
    BorderlessWindow::hideEvent(event);
    if (!modalHidden_ || windowModality() == Qt::NonModal || isVisible()) return;
    setWindowModality(Qt::NonModal);
    auto hidden = std::move(modalHidden_);
    modalHidden_ = nullptr;
    hidden();
}

void TConnectForm::CerrarIconClick() { endProgram(); }

void TConnectForm::endProgram() { closer_.requestClose(); }

void TConnectForm::closeEvent(QCloseEvent* event) {
    // The main window: closing it ends the program. The window stays until then; the
    // program's end takes it down with the others.
    event->ignore();
    endProgram();
}

}  // namespace vela::app
