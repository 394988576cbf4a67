#pragma once
// The main window: the banner, the instructions and the link buttons. Pressing USB connects
// (probe, read-back, model lock) and brings up the library window.

#include "app/app_context.h"
#include "app/borderless_window.h"
#include "app/out_of_sight.h"
#include "app/program_closer.h"
#include "app/session_worker.h"
#include "core/session_state.h"
#include "update/update_preferences.h"

#include <array>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vela::app {

class LedButton;

inline constexpr const char* kCheckForUpdatesCaption = "Check for updates at start";
inline constexpr const char* kNoUpdateServerCaption = "Check for updates at start: no update server is set";

class TConnectForm : public BorderlessWindow {
    Q_OBJECT
public:
    explicit TConnectForm(AppContext& context, QWidget* parent = nullptr);

    QLabel* Panel11 = nullptr;  // the banner
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label2 = nullptr;
    LedButton* USBButton = nullptr;
    LedButton* OffLineB = nullptr;
    LedButton* Com1B = nullptr;
    LedButton* Com2B = nullptr;
    LedButton* EtherButton = nullptr;
    QPushButton* OKBoton = nullptr;
    // Our additions: the kept choice of checking for updates at start, and the folder of the
    // run logs for a support call.
    QCheckBox* UpdateCheckBox = nullptr;
    QPushButton* LogsButton = nullptr;

    void bindUpdatePreferences(UpdatePreferences& preferences);

    // USBButton and EtherButton start hidden; the transfer window shows them when it exists.
    // Offline, Com1, Com2 and OK lie outside the window and are never reached by the user.
    void showLinkButtons();
    // Shown modally in the middle of a run: the run waits until the window is hidden again.
    void showModalForRun(std::function<void()> hidden);
    // What every close of the connection, library or processor window comes to.
    void endProgram();
    ProgramCloser& closer() { return closer_; }

public slots:
    void LogsButtonClick();
    void OffLineBClick();
    void OKBotonClick();
    void CerrarIconClick() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void select(LinkKind tag);
    void showView(const SessionViewPtr& view);
    std::array<LedButton*, 5> buttons() const { return {OffLineB, Com1B, Com2B, USBButton, EtherButton}; }

    AppContext& context_;
    OutOfSight outOfSight_;  // Offline, Com1, Com2 and OK: the program's own choices
    ProgramCloser closer_;
    std::function<void()> modalHidden_;
};

}  // namespace vela::app
