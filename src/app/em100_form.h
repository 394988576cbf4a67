#pragma once
// TEM100Form, the Ethernet module window "ETHERNET": choose the loudspeaker model, scan the
// network for its modules, change a module's IP address or host name, make it blink, and
// connect the TCP link to it. The module procedures run on the session's worker. "Whole rig"
// opens the window that updates every cabinet of the network at once.

#include "app/borderless_window.h"
#include "app/session_worker.h"
#include "ethernet/ethernet_module_state.h"
#include "ethernet/ethernet_module_window.h"

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace vela {
struct FirmwareChoice;
class ModuleAccess;
class Session;
} // namespace vela

namespace vela::app {

struct AppContext;
class TRigForm;

class TEM100Form : public BorderlessWindow {
    Q_OBJECT
  public:
    // `firmware` is what the whole-rig window sends to every cabinet.
    TEM100Form(AppContext& context, const FirmwareChoice& firmware, QWidget* parent = nullptr);
    ~TEM100Form() override;

    QComboBox* ModelComboBox;
    QPushButton* ScanB;
    QPushButton* WholeRigB;
    // The whole-rig window, made with this one.
    TRigForm* RigForm;
    QProgressBar* ScanProgress;
    QLabel* Label2;
    QLabel* Label1;
    QComboBox* ProcessorBox;
    QListWidget* IPList;
    QLabel* Label3;
    QLabel* Label5;
    QPushButton* ConnectB;
    QPushButton* IdentifyButton1;
    QGroupBox* ManagementGroup;
    std::array<QSpinBox*, 4> IP; // IP01..IP04
    QPushButton* ChangeIP;
    QLineEdit* HostEdit;
    QPushButton* ChangeName;
    QLabel* StatusB;

    // Where scans and requests go; the command line's scan options fill it. Read by the
    // first operation, so set it before then.
    EthernetModuleSettings settings;

  signals:
    // The TCP link is connected and the library window's model was opened.
    void moduleConnected();

  public slots:
    void ModelComboBoxChange(int index);
    void ScanBClick();
    void WholeRigBClick();
    void ProcessorBoxClick(int index);
    void ProcessorBoxDropDown() {}
    void IPListKeyDown(int index);
    void ChangeIPClick();
    void ChangeNameClick();
    void IdentifyButton1Click();
    void ConnectBClick();
    // Closes only this window.
    void CerrarIconClick() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Runs `step` with the module procedures on the worker, then shows the window's state.
    void runProcedure(std::function<void(Session&, ModuleAccess&)> step, std::function<void()> then = {});
    void showView(const EthernetModuleView& view);
    // IP01..IP04 and HostEdit from the session's values.
    void showModuleFields(const EthernetModuleView& view);
    void showSession(const SessionViewPtr& view);
    void setBusy(bool busy);

    AppContext& context_;
    SessionViewPtr view_;
    // The session's address and host name as last shown in IP01..IP04 and HostEdit.
    std::array<std::string, 4> shownIp_;
    std::string shownHost_;
    // Made on the worker thread by the first operation and used only there.
    std::shared_ptr<std::unique_ptr<ModuleAccess>> modules_;
    std::unique_ptr<TRigForm> rigForm_;
};

} // namespace vela::app
