#pragma once
// TMainMenu, the processor control window: the commands on one program memory, on the unit as
// a whole and on the preset document. Created hidden; `velaupdate --service` shows it for
// service technicians. Its status line and program number serve the whole program.

#include "app/borderless_window.h"
#include "app/session_worker.h"
#include "session/unit_commands.h"

#include <QLabel>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vela {
class Session;
}

namespace vela::app {

struct AppContext;
class LedButton;
class ResponseWindow;
class DesignerWindow;

// A caption that counts clicks: the PROGRAM label's hidden service reveal.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TMainMenu : public BorderlessWindow {
    Q_OBJECT
public:
    // `firmware` is what Update DSP sends: the run's choice, made once at start-up.
    TMainMenu(AppContext& context, const FirmwareChoice& firmware, QWidget* parent = nullptr);
    ~TMainMenu() override;

    QPushButton* NewButton;
    QPushButton* OpenButton;
    QPushButton* SaveButton;
    QLineEdit* SystemName;
    QPushButton* SystemInfoB;
    ClickableLabel* Label9;
    QSpinBox* NProgramSpin;
    QPushButton* ReadButton;
    QPushButton* WriteButton;
    QPushButton* ChangeButton;
    QPushButton* CopyAllMem;
    QPushButton* LoadAllMemB;
    QGroupBox* UnitPanel;
    QPushButton* BlockB;
    QPushButton* UnblockB;
    QPushButton* PasswordB;
    QPushButton* OnlyChangeProgB;
    QPushButton* UpdateDSP;
    QPushButton* ResetDSP;
    QPushButton* ConnectButton;
    QPushButton* EthernetB;
    LedButton* RealTimeB;
    QSpinBox* SpinEdit1;
    QPushButton* AcercadeButton;
    QLabel* InfoLabel;
    // What the last unit command did ("Memory 5 written").
    QLabel* OutcomeLabel;
    QPushButton* ResponseButton;
    QPushButton* DesignerButton;

    // The ten controls that DisableUnitCommands and EnableUnitCommands switch together.
    std::array<QWidget*, 10> unitCommandControls() const;

    // The preset name from the System-Info window; the same text again changes nothing.
    void copySystemName(const QString& name);

    // The response plot of the preset, opened by ResponseButton.
    ResponseWindow& responseWindow() { return *response_; }
    // The preset designer on the same preset, made when first asked for.
    DesignerWindow& designer();

    // Which file dialog a command shows; replaced by the tests.
    std::function<QString()> chooseOpenFile;
    std::function<QString()> chooseSaveFile;
    // The password dialog's answer: the seven data bytes, or nothing when cancelled.
    std::function<std::optional<PasswordBytes>()> askPassword;

signals:
    void systemNameChanged(const QString& name);

public slots:
    void NewButtonClick();
    void OpenButtonClick();
    void SaveButtonClick();
    void ReadButtonClick();
    void WriteButtonClick();
    void ChangeButtonClick();
    void CopyAllMemClick();
    void ResetDSPClick();
    void UpdateDSPClick();
    void BlockBClick();
    void UnblockBClick();
    void PasswordBClick();
    void OnlyChangeProgBClick();
    void RealTimeBClick();
    void ConnectButtonClick();
    void EthernetBClick();
    void LoadAllMemBClick();
    void SystemInfoBClick();
    void AcercadeButtonClick();
    void ResponseButtonClick();
    void DesignerButtonClick();
    void Label9Click();
    void SystemNameChange(const QString& text);
    void SpinEdit1Change(int value);
    void NProgramSpinChange(int value);
    void FormActivate();
    // Ends the program: the connection window is the main window.
    void CerrarIconClick() override;

    // What an operation left: the unit commands' state, the program number, the real-time
    // indicator, the Ethernet button.
    void showView(const SessionViewPtr& view);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs a unit command on the worker with the unit commands locked meanwhile.
    void runUnitCommand(std::function<void(Session&)> command);
    void setUnitCommandsEnabled(bool enabled);
    // The preset's name, caption and System-Info fields, after New, Open or Save.
    void showPresetIdentity();
    void showInfo(const QString& text);

    AppContext& context_;
    const FirmwareChoice& firmware_;
    // The session as the last operation left it; the window reads nothing else of it.
    SessionViewPtr view_;
    // A window of its own, not a child: its controls are not this window's controls.
    std::unique_ptr<ResponseWindow> response_;
    std::unique_ptr<DesignerWindow> designer_;
    // The link the status line said last; it speaks again when the link changes.
    std::string shownLinkStatus_ = SessionView{}.linkStatus;
    int documentListener_ = 0;
};

}  // namespace vela::app
