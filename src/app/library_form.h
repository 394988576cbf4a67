#pragma once
// "Library Maker": the model list, the programs of the chosen model's library, the Update run
// with its two gauges, the manual and the update history, and the service controls that
// build libraries from preset files.

#include "app/app_context.h"
#include "app/borderless_window.h"
#include "app/session_worker.h"
#include "session/operations.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QFrame;
class QAbstractButton;
class QCheckBox;

namespace vela::app {

class TLoadAllMemForm : public BorderlessWindow {
    Q_OBJECT
public:
    TLoadAllMemForm(AppContext& context, const FirmwareChoice& firmware, QWidget* parent = nullptr);

    QLabel* Panel11 = nullptr;  // banner
    QLabel* ConnectedL = nullptr;
    QPushButton* ConnectB = nullptr;
    QLabel* Label45 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QAbstractButton* Image1 = nullptr;  // the manual
    std::array<QLabel*, 13> memoryLabels{};
    std::array<QLineEdit*, 13> Edit{};  // Edit1..Edit13
    QFrame* SendPanel = nullptr;
    QPlainTextEdit* SendWarning = nullptr;
    QPushButton* Send1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QProgressBar* TotalProgress = nullptr;
    QLabel* Info = nullptr;
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;  // update history
    QAbstractButton* LOGOImage = nullptr;
    QLineEdit* Password_Edit = nullptr;
    QPushButton* OpenLibraryB = nullptr;
    QPushButton* Clear1B = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* LoadDirectoryB = nullptr;
    QPushButton* MakeLibraryB = nullptr;
    QPushButton* UpdateDSP = nullptr;
    QPushButton* ResetDSP = nullptr;
    QLineEdit* Edit40 = nullptr;
    // Backing up the cabinet's programs: before an update (a kept choice), or on request.
    QCheckBox* BackupFirstCheck = nullptr;
    QPushButton* BackupB = nullptr;
    QPushButton* RestoreB = nullptr;

public slots:
    void ComboBox1Change(int row);
    void Send1Click();
    void ConnectBClick();
    void Image1Click();
    void LOGOImageClick();
    void Password_EditEnter();
    void OpenLibraryBClick();
    void Clear1BClick();
    void LoadDirectoryBClick();
    void MakeLibraryBClick();
    void UpdateDSPClick();
    void ResetDSPClick();
    void BackupFirstCheckClick(bool checked);
    void BackupBClick();
    void RestoreBClick();
    void CerrarIconClick() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMemories();
    void buildSendPanel();
    void buildServiceControls();
    void buildBackupControls();
    void showView(const SessionViewPtr& view);
    void showStatus(StatusField field, const QString& text);
    void showGauge(vela::Gauge gauge, int position, int maximum);
    // Runs an operation with the controls that start operations locked meanwhile.
    void run(std::function<void(Session&)> operation, std::function<void()> done = {});

    AppContext& context_;
    const FirmwareChoice& firmware_;
    SessionViewPtr view_;
    int running_ = 0;  // operations this window started that have not ended
};

}  // namespace vela::app
