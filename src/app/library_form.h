#pragma once
// "Library Maker": the model list, the programs of the chosen model's library, the Update run
// with its two gauges, the manual and the update history, and the service controls that
// build libraries from preset files.

#include "app/app_context.h"
#include "app/borderless_window.h"
#include "app/out_of_sight.h"
#include "app/session_worker.h"
#include "session/operations.h"

#include <array>
#include <vector>
#include <functional>
#include <optional>

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
    QLabel* LockedL = nullptr;  // why the model list is locked
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
    QProgressBar* BuildProgress = nullptr;  // the preset files a build has read
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

    // The service dialogs: the preset files to build from, the model whose code the built
    // programs carry (nullopt: cancelled; -1: the codes the files give), the file to save to.
    std::function<QStringList()> choosePresetFiles;
    std::function<std::optional<int>()> chooseLibraryModel;
    std::function<QString()> chooseLibraryFile;

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
    // A status line follows the session's link when the link changes.
    void showLinkStatus(const std::string& status, bool lost);
    // Runs an operation with the controls that start operations locked meanwhile.
    void run(std::function<void(Session&)> operation, std::function<void()> done = {});
    std::vector<QWidget*> startingControls() const;
    // The service unlock: the window widens over the service column and its controls join in.
    void revealServiceControls();

    AppContext& context_;
    const FirmwareChoice& firmware_;
    SessionViewPtr view_;
    std::string shownLinkStatus_ = SessionView{}.linkStatus;
    int running_ = 0;  // operations this window started that have not ended
    OutOfSight outOfSight_{this};  // the service column, until the service unlock
    bool serviceShown_ = false;
};

}  // namespace vela::app
