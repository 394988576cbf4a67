#pragma once
// The main window: the banner, the instructions and the link buttons. Pressing USB connects
// (probe, read-back, model lock) and brings up the library window.

#include "app/app_context.h"
#include "app/borderless_window.h"
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
    void showLinkButtons();
    // Shown modally in the middle of a run: the run waits until the window is hidden again.
    void showModalForRun(std::function<void()> hidden);

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
    std::function<void()> modalHidden_;
};

}  // namespace vela::app
